#include "runs/ConversionRun.h"

#include "convert/ConvertDocs.h"
#include "jobs/Requests.h"
#include "listing/FolderListing.h"
#include "remove/RemoveConverted.h"
#include "runs/DocumentMarks.h"
#include "runs/FolderLists.h"
#include "runs/FolderState.h"
#include "runs/JobThread.h"
#include "runs/RunFrame.h"
#include "runs/WindowObserver.h"
#include "store/IgnoreList.h"

#include <QCoreApplication>
#include <QSet>

#include <memory>
#include <optional>

namespace qf {

namespace {

// What a conversion run holds from its start to its end.
struct ConversionState {
    ConversionState(const RunContext &ctx, const WordProcessorStarter &starter)
        : run(ctx, ctx.window.ConversionBar()), wordProcessor(starter),
          shown(run.context().ws, ctx.window, ctx.window.ConversionBar(),
                &ctx.window.DocumentList()),
          observer(shown)
    {}
    RunFrame run;
    WordProcessorStarter wordProcessor;
    WindowObserver shown;
    ForwardingObserver observer;
    std::optional<ConversionRequest> request;
    ConversionResult result;
};

// Says how the conversion ended.
void FinishConversion(const std::shared_ptr<ConversionState> &state, std::function<void()> ended)
{
    const RunContext &ctx = state->run.context();
    const ConversionResult &result = state->result;
    state->observer.ShowWaiting();
    MainWindow &w = ctx.window;
    if (result.started && FileExists(ctx.ws.PdfIgnorePath()))
        LoadIgnoreList(ctx.ws.PdfIgnorePath(), w.PdfList());
    MarkOutOfDateDocuments(ctx.ws.WorkingFolder, w.DocumentList());
    RunFrame &run = state->run;
    run.problems().merge(result.problems);
    if (result.stopped)
        run.Stopped(StoppedConversionSaid(int(result.converted.size())));
    run.Finish(result.started
                   ? QCoreApplication::translate("Runs", "Not every document was converted to PDF:")
                   : QCoreApplication::translate("Runs", "No document was converted to PDF:"),
               QString(), [state, ended = std::move(ended)] { ended(); });
}

} // namespace

void ConversionRun(const RunContext &context, const WordProcessorStarter &wordProcessor,
                   std::function<void()> ended)
{
    auto state = std::make_shared<ConversionState>(context, wordProcessor);
    const RunContext &ctx = state->run.context();
    MainWindow &w = ctx.window;
    // A word processor that is not installed is said before any file is touched.
    if (const Status there = wordProcessor.check(); !there) {
        state->run.problems().add(there);
        state->run.Finish(QCoreApplication::translate("Runs", "No document was converted to PDF:"),
                          QString(), [state, ended = std::move(ended)] { ended(); });
        return;
    }
    state->run.StoreChoices();
    w.StatusLine().Show(QCoreApplication::translate("Runs", "Collecting information for file:"));
    state->request = ConversionRequestFor(ctx.ws, SelectionOf(w));
    for (const ConversionEntry &entry : state->request->entries)
        w.FileLine().Show(entry.name);
    w.ConversionBar().SetValue(0);
    StartBesideWindow(
        [state] {
            state->result =
                ConvertDocuments(*state->request, state->wordProcessor, state->observer);
        },
        [state, ended = std::move(ended)]() mutable { FinishConversion(state, std::move(ended)); });
}

Problems RemovalRun(const Workspace &ws, MainWindow &window)
{
    TickList &pdfs = window.PdfList();
    QStringList names;
    for (int i = 0; i < pdfs.Count(); ++i)
        names.append(pdfs.Name(i));
    // Into the trash: the button is easily pressed, and a PDF may hold what its document lost.
    const RemovalResult removed = RemoveConvertedPdfs(
        ws.WorkingFolder, names, window.Choices().documentTypes, Removal::Trash);
    window.StatusLine().SetText(RemovalSummary(removed));
    Problems problems = removed.problems;
    // The PDFs left keep their ticks, or Close would remember every one as unticked; a PDF new in
    // the folder comes ticked, as at start-up.
    QSet<QString> unticked;
    for (int i = 0; i < pdfs.Count(); ++i)
        if (!pdfs.Ticked(i))
            unticked.insert(pdfs.Name(i));
    problems.add(RefillList(ws.WorkingFolder, pdfs, window.PdfCount(), FileKind::Pdf));
    for (int i = 0; i < pdfs.Count(); ++i)
        pdfs.SetTicked(i, !unticked.contains(pdfs.Name(i)));
    MarkOutOfDateDocuments(ws.WorkingFolder, window.DocumentList());
    if (!problems.empty())
        window.Messages().Show(problems.report(QCoreApplication::translate(
                                   "Runs", "Not every PDF file could be moved to the trash:")),
                               kProgramTitle, MessageBox::Icon::Warning);
    return problems;
}

} // namespace qf
