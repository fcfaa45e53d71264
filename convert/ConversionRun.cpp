#include "convert/ConversionRun.h"

#include "convert/ConvertDocs.h"
#include "listing/FolderListing.h"
#include "runs/RunFrame.h"

#include <QFile>

namespace qf {

void ConversionRun(RunContext &ctx, const WordProcessorStarter &wordProcessor)
{
    MainWindow &w = ctx.window;
    RunFrame run(ctx, w.ProgressBar1());
    auto giveUp = [&run](const Status &why) {
        run.problems().add(why);
        run.Finish(QStringLiteral("No document was converted to PDF:"));
    };
    // A word processor that is not installed is said before any file is touched.
    if (const Status there = wordProcessor.check(); !there)
        return giveUp(there);
    run.StoreChoices();
    w.Text1().Show(QStringLiteral("Collecting information for file:"));
    QStringList names;
    const int count = w.List1().ListCount();
    for (int i = 0; i < count; ++i) {
        names.append(w.List1().ItemText(i));
        w.Text2().Show(names.last());
    }
    w.ProgressBar1().SetValue(0);
    Status started;
    const std::unique_ptr<WordProcessor> word = wordProcessor.start(started);
    if (!word)
        return giveUp(started);
    run.problems().merge(ConvertDocsToPdf(ctx, names, *word));
    run.Finish(QStringLiteral("Not every document was converted to PDF:"));
}

Problems RemoveConvertedPdfs(const Workspace &ws, MainWindow &window)
{
    Problems problems;
    TickList &pdfs = window.List2();
    const FolderIndex files = FolderIndex::Read(ws.WorkingFolder); // one read for every PDF
    const int count = pdfs.ListCount();
    for (int i = 0; i < count; ++i) {
        const QString name = pdfs.ItemText(i);
        if (!files.Contains(name.left(name.size() - 4) + QStringLiteral(".DOC")))
            continue;
        QFile pdf(ws.PathOf(name));
        if (!pdf.remove())
            problems.add(
                Status::Failed(pdf.fileName(),
                               QStringLiteral("could not be deleted (%1)").arg(pdf.errorString())));
    }
    problems.add(RefillList(ws.WorkingFolder, pdfs, window.Text4(), FileKind::Pdf));
    if (!problems.empty())
        window.Messages().Show(
            problems.report(QStringLiteral("Not every PDF file could be deleted:")), kProgramTitle,
            MessageBox::Icon::Warning);
    return problems;
}

} // namespace qf
