#include "compile/CompileRun.h"

#include "compile/CompileBook.h"
#include "runs/RunFrame.h"

namespace qf {

void CompileRun(RunContext &ctx)
{
    MainWindow &w = ctx.window;
    RunFrame run(ctx, w.ProgressBar2());
    run.StoreChoices();
    ctx.ws.OutputFileName = w.Text5().Text();

    w.Text1().Show(QStringLiteral("Collecting information for file:"));
    QStringList names;
    TickList &pdfs = w.List2();
    for (int i = 0; i < pdfs.ListCount(); ++i) {
        pdfs.SetListIndex(i);
        if (!pdfs.Selected(i))
            continue;
        names.append(pdfs.ItemText(i));
        w.Text2().Show(pdfs.ItemText(i));
    }
    pdfs.SetListIndex(0);
    w.ProgressBar2().SetValue(0);

    bool bookWritten = false;
    const Status plainName = CheckOutputFileName(ctx.ws.OutputFileName);
    if (names.isEmpty()) {
        run.problems().add(Status::Failed(
            QString(), QStringLiteral("No PDF file is ticked, so there was nothing to compile.")));
    } else if (!plainName) {
        run.problems().add(plainName);
    } else {
        const QString outputPath = BookPath(ctx.ws, ctx.ws.OutputFileName);
        CompileOutcome outcome = CompileBook(ctx, names, outputPath);
        bookWritten = outcome.bookWritten;
        run.problems().merge(outcome.problems);
    }
    run.Finish(bookWritten ? QStringLiteral("The book was made, but not everything went well:")
                           : QStringLiteral("No book was made."));
}

} // namespace qf
