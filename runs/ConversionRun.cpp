#include "runs/ConversionRun.h"

#include "convert/ConvertDocs.h"
#include "listing/FolderListing.h"
#include "remove/RemoveConverted.h"
#include "runs/DocumentMarks.h"
#include "runs/RunFrame.h"
#include "runs/WindowObserver.h"
#include "store/IgnoreList.h"

namespace qf {

void ConversionRun(RunContext &ctx, const WordProcessorStarter &wordProcessor)
{
    MainWindow &w = ctx.window;
    RunFrame run(ctx, w.ProgressBar1());
    // A word processor that is not installed is said before any file is touched.
    if (const Status there = wordProcessor.check(); !there) {
        run.problems().add(there);
        run.Finish(QStringLiteral("No document was converted to PDF:"));
        return;
    }
    run.StoreChoices();
    w.Text1().Show(QStringLiteral("Collecting information for file:"));
    ConversionRequest request{ctx.ws.WorkingFolder, {}, ctx.ws.OutputFileName, 0};
    const int count = w.List1().ListCount();
    for (int i = 0; i < count; ++i) {
        request.entries.append({w.List1().ItemText(i), w.List1().Selected(i)});
        w.Text2().Show(request.entries.last().name);
    }
    w.ProgressBar1().SetValue(0);

    WindowObserver observer(ctx.ws, w, w.ProgressBar1(), &w.List1());
    const ConversionResult result = ConvertDocuments(request, wordProcessor, observer);
    if (result.started && FileExists(ctx.ws.PdfIgnorePath()))
        LoadIgnoreList(ctx.ws.PdfIgnorePath(), w.List2());
    MarkOutOfDateDocuments(ctx.ws.WorkingFolder, w.List1());
    run.problems().merge(result.problems);
    if (result.stopped)
        run.Stopped(QStringLiteral("The run was stopped: %1 of the ticked documents were "
                                   "converted; the others were left as they were.")
                        .arg(result.converted.size()));
    run.Finish(result.started ? QStringLiteral("Not every document was converted to PDF:")
                              : QStringLiteral("No document was converted to PDF:"));
}

Problems RemovalRun(const Workspace &ws, MainWindow &window)
{
    TickList &pdfs = window.List2();
    QStringList names;
    for (int i = 0; i < pdfs.ListCount(); ++i)
        names.append(pdfs.ItemText(i));
    // Into the trash: the button is easily pressed, and a PDF may hold what its document lost.
    const RemovalResult removed = RemoveConvertedPdfs(
        ws.WorkingFolder, names, window.Choices().documentTypes, Removal::Trash);
    window.Text1().SetText(RemovalSummary(removed));
    Problems problems = removed.problems;
    problems.add(RefillList(ws.WorkingFolder, pdfs, window.Text4(), FileKind::Pdf));
    MarkOutOfDateDocuments(ws.WorkingFolder, window.List1());
    if (!problems.empty())
        window.Messages().Show(
            problems.report(QStringLiteral("Not every PDF file could be moved to the trash:")),
            kProgramTitle, MessageBox::Icon::Warning);
    return problems;
}

} // namespace qf
