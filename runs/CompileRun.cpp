#include "runs/CompileRun.h"

#include "compile/BookSize.h"
#include "compile/CompileBook.h"
#include "jobs/Requests.h"
#include "runs/FolderState.h"
#include "runs/JobThread.h"
#include "runs/RunFrame.h"
#include "runs/StartUp.h"
#include "runs/WindowObserver.h"

#include <QCoreApplication>

#include <memory>
#include <optional>

namespace qf {

namespace {

// What a compile run holds from its start to its end.
struct CompileState {
    explicit CompileState(const RunContext &ctx)
        : run(ctx, ctx.window.CompileBar()),
          shown(run.context().ws, ctx.window, ctx.window.CompileBar()), observer(shown),
          viewer(ctx.bookViewer)
    {}
    RunFrame run;
    WindowObserver shown;
    ForwardingObserver observer;
    ViewerOnWindowThread viewer;
    FolderSelection selection;
    std::optional<CompileRequest> request;
    std::optional<CompileResult> result;
};

// Says how the compile ended.
void FinishCompile(const std::shared_ptr<CompileState> &state, std::function<void()> ended)
{
    const RunContext &ctx = state->run.context();
    RunFrame &run = state->run;
    const CompileRequest &request = *state->request;
    const CompileResult &result = *state->result;
    state->observer.ShowWaiting();
    run.problems().merge(result.problems);
    if (!result.book.isEmpty()) {
        for (const StalePdf &stale : StalePdfs(ctx.ws, state->selection))
            run.problems().add(Status::Failed(QString(), stale.warning));
        for (const DefaultsHint &hint : DefaultsThatMatter(ctx.ws, state->selection, true))
            run.problems().add(Status::Failed(QString(), HintSaid(hint)));
    }
    for (const QString &said : result.saidAtEnd)
        run.problems().add(Status::Failed(QString(), said));
    if (result.stopped)
        run.Stopped(StoppedCompileSaid());
    // Where the book is and how long, in sight once the run is over.
    int pages = result.layout.TotalPages();
    QString where = QStringLiteral("%1/%2").arg(kOutputFolderName, request.bookName);
    if (!result.volumes.isEmpty()) {
        pages = 0;
        for (const BookVolume &volume : result.volumes)
            pages += volume.layout.TotalPages();
        where = QCoreApplication::translate("Runs", "%1/%2 and on, %n volume(s)", nullptr,
                                            int(result.volumes.size()))
                    .arg(kOutputFolderName, FileNameFromPath(result.book));
    }
    QStringList changes;
    for (const BookChange &change : result.changes)
        changes.append(QStringLiteral("%1: %2").arg(FileNameFromPath(change.file), change.change));
    if (!changes.isEmpty())
        run.Tell(QCoreApplication::translate("Runs", "For filing, the book changed its PDFs:") +
                 QStringLiteral("\n") + changes.join(QStringLiteral("\n")));
    const QString forFiling = changes.isEmpty()
                                  ? QString()
                                  : QCoreApplication::translate("Runs", "; for filing: %1")
                                        .arg(changes.join(QStringLiteral("; ")));
    const QString recognised =
        result.recognised.isEmpty()
            ? QString()
            : QCoreApplication::translate("Runs", "; scanned pages made searchable: %1")
                  .arg(RecognisedText(result.recognised));
    const QString room = NumberRoomText(result.numberRoom);
    run.Finish(
        result.book.isEmpty() ? QCoreApplication::translate("Runs", "No book was made.")
                              : QCoreApplication::translate(
                                    "Runs", "The book was made, but not everything went well:"),
        result.book.isEmpty()
            ? QCoreApplication::translate("Runs", "no book was made")
            : QStringLiteral("%1, %2, %3")
                      .arg(where, QCoreApplication::translate("Runs", "%n page(s)", nullptr, pages),
                           BookSizeText(result.bytes, result.shared)) +
                  (room.isEmpty() ? QString() : QStringLiteral("; ") + room) + recognised +
                  forFiling,
        [state, ended = std::move(ended)] { ended(); });
}

} // namespace

void CompileRun(const RunContext &context, std::function<void()> ended)
{
    auto state = std::make_shared<CompileState>(context);
    const RunContext &ctx = state->run.context();
    MainWindow &w = ctx.window;
    state->run.StoreChoices();
    ctx.ws.OutputFileName = w.BookName().Text();

    w.StatusLine().Show(QCoreApplication::translate("Runs", "Collecting information for file:"));
    state->selection = SelectionOf(w);
    state->request = CompileRequestFor(ctx.ws, state->selection, ctx.programFolder);
    if (const QStringList locked = NeedingPassword(*state->request); !locked.isEmpty())
        GivePasswords(*state->request, w.AskPasswords(locked));
    TickList &pdfs = w.PdfList();
    for (int i = 0; i < pdfs.Count(); ++i) {
        pdfs.SetCurrent(i);
        if (pdfs.Ticked(i))
            w.FileLine().Show(pdfs.Name(i));
    }
    pdfs.SetCurrent(0);
    w.CompileBar().SetValue(0);
    StartBesideWindow(
        [state] { state->result = CompileBook(*state->request, state->observer, state->viewer); },
        [state, ended = std::move(ended)]() mutable { FinishCompile(state, std::move(ended)); });
}

} // namespace qf
