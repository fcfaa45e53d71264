#include "runs/CompileRun.h"

#include "compile/BookSize.h"
#include "compile/CompileBook.h"
#include "jobs/Requests.h"
#include "runs/FolderState.h"
#include "runs/JobThread.h"
#include "runs/RunFrame.h"
#include "runs/WindowObserver.h"

#include <QCoreApplication>

namespace qf {

void CompileRun(RunContext &ctx)
{
    MainWindow &w = ctx.window;
    RunFrame run(ctx, w.CompileBar());
    run.StoreChoices();
    ctx.ws.OutputFileName = w.BookName().Text();

    w.StatusLine().Show(QCoreApplication::translate("Runs", "Collecting information for file:"));
    const FolderSelection selection = SelectionOf(w);
    const CompileRequest request = CompileRequestFor(ctx.ws, selection, ctx.programFolder);
    TickList &pdfs = w.PdfList();
    for (int i = 0; i < pdfs.Count(); ++i) {
        pdfs.SetCurrent(i);
        if (pdfs.Ticked(i))
            w.FileLine().Show(pdfs.Name(i));
    }
    pdfs.SetCurrent(0);
    w.CompileBar().SetValue(0);

    WindowObserver shown(ctx.ws, w, w.CompileBar());
    ForwardingObserver observer(shown);
    ViewerOnWindowThread viewer(ctx.bookViewer);
    CompileResult result(request.blankSheets);
    RunBesideWindow([&] { result = CompileBook(request, observer, viewer); });
    run.problems().merge(result.problems);
    if (!result.book.isEmpty()) {
        for (const StalePdf &stale : StalePdfs(ctx.ws, selection))
            run.problems().add(Status::Failed(QString(), stale.warning));
        for (const DefaultsHint &hint : DefaultsThatMatter(ctx.ws, selection, true))
            run.problems().add(Status::Failed(QString(), hint.text));
    }
    if (result.stopped)
        run.Stopped(QCoreApplication::translate(
            "Runs", "The run was stopped, so no book was written; a book made "
                    "before is as it was."));
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
    const QString recognised =
        result.recognised.isEmpty()
            ? QString()
            : QCoreApplication::translate("Runs", "; scanned pages made searchable: %1")
                  .arg(RecognisedText(result.recognised));
    run.Finish(
        result.book.isEmpty() ? QCoreApplication::translate("Runs", "No book was made.")
                              : QCoreApplication::translate(
                                    "Runs", "The book was made, but not everything went well:"),
        result.book.isEmpty()
            ? QCoreApplication::translate("Runs", "no book was made")
            : QStringLiteral("%1, %2, %3")
                      .arg(where, QCoreApplication::translate("Runs", "%n page(s)", nullptr, pages),
                           BookSizeText(result.bytes, result.shared)) +
                  recognised);
}

} // namespace qf
