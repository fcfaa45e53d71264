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

namespace qf {

void ConversionRun(RunContext &ctx, const WordProcessorStarter &wordProcessor)
{
    MainWindow &w = ctx.window;
    RunFrame run(ctx, w.ConversionBar());
    // A word processor that is not installed is said before any file is touched.
    if (const Status there = wordProcessor.check(); !there) {
        run.problems().add(there);
        run.Finish(QCoreApplication::translate("Runs", "No document was converted to PDF:"));
        return;
    }
    run.StoreChoices();
    w.StatusLine().Show(QCoreApplication::translate("Runs", "Collecting information for file:"));
    const ConversionRequest request = ConversionRequestFor(ctx.ws, SelectionOf(w));
    for (const ConversionEntry &entry : request.entries)
        w.FileLine().Show(entry.name);
    w.ConversionBar().SetValue(0);

    WindowObserver shown(ctx.ws, w, w.ConversionBar(), &w.DocumentList());
    ForwardingObserver observer(shown);
    ConversionResult result;
    RunBesideWindow([&] { result = ConvertDocuments(request, wordProcessor, observer); });
    if (result.started && FileExists(ctx.ws.PdfIgnorePath()))
        LoadIgnoreList(ctx.ws.PdfIgnorePath(), w.PdfList());
    MarkOutOfDateDocuments(ctx.ws.WorkingFolder, w.DocumentList());
    run.problems().merge(result.problems);
    if (result.stopped)
        run.Stopped(QCoreApplication::translate(
            "Runs",
            "The run was stopped: %n of the ticked documents were converted; the others were "
            "left as they were.",
            nullptr, int(result.converted.size())));
    run.Finish(result.started
                   ? QCoreApplication::translate("Runs", "Not every document was converted to PDF:")
                   : QCoreApplication::translate("Runs", "No document was converted to PDF:"));
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
