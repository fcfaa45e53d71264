#include "compile/CompileBook.h"

#include "automation/PdfDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qf {
namespace {

// Makes the output folder. An old book of the output path's name is not deleted here: the new
// one replaces it when it is saved, so a run that makes no book loses none.
Status PrepareOutput(const QString &folder, const QString &outputPath)
{
    QDir().mkdir(folder); // an existing folder is reused
    if (!QFileInfo(folder).isDir())
        return Status::Failed(folder, QStringLiteral("the output folder could not be made"));
    if (QFileInfo(outputPath).isDir())
        return Status::Failed(outputPath, QStringLiteral("is a folder, so no book can be written "
                                                         "under that name"));
    return Status::Ok();
}

} // namespace

QString BookPath(const Workspace &ws, const QString &name)
{
    return JoinPath(JoinPath(ws.WorkingFolder, kOutputFolderName), name);
}

QString FileNameFromPath(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString BookmarkTitle(const QString &name)
{
    const QString fileName = FileNameFromPath(name);
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

bool NeedsBlankSheet(int pages, int option)
{
    return pages % 2 == 1 && option == 1;
}

Status CheckOutputFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return Status::Failed(
            QString(), QStringLiteral("The book's name \"%1\" is not a plain file name, so no book "
                                      "was written. Type a name such as CompiledPDFDocument.pdf "
                                      "in \"Compiled PDF File Name:\" and compile again.")
                           .arg(name));
    return Status::Ok();
}

CompileOutcome CompileBook(RunContext &ctx, const QStringList &names, const QString &outputPath)
{
    CompileOutcome outcome;
    MainWindow &w = ctx.window;
    const Status prepared =
        PrepareOutput(JoinPath(ctx.ws.WorkingFolder, kOutputFolderName), outputPath);
    if (!prepared) {
        outcome.problems.add(prepared);
        return outcome;
    }
    w.Text1().Show(QStringLiteral("Creating Output File..."));
    w.Text2().Show(ctx.ws.OutputFileName);

    PdfSuite suite(&ctx.bookViewer);
    PDDoc source(suite);
    PDDoc blank(suite);
    const QString blankPath = JoinPath(ctx.programFolder, kEmptyPageFileName);
    const Status blankOpened = blank.Open(blankPath);
    bool blankReported = false;
    PDDoc output(suite);
    output.Create();

    bool pending = false;
    w.Text1().Show(QStringLiteral("Compiling PDF files..."));
    w.ProgressBar2().SetValue(0);
    const int count = int(names.size());
    for (int i = 1; i <= count; ++i) {
        const QString &name = names.at(i - 1);
        w.ProgressBar2().SetMin(0);
        w.ProgressBar2().SetMax(count);
        w.Text2().Show(name);
        const QString path = ctx.ws.PathOf(name);
        Status step = source.Open(path);
        const int pages = source.GetNumPages();
        if (step && pages < 1)
            step = Status::Failed(path, QStringLiteral("has no pages"));
        // The blank sheet goes in once the next document is known to follow, so a document that
        // is left out never leaves a blank sheet at the end of the book.
        const int pagesBefore = output.GetNumPages();
        if (step && pending) {
            const Status inserted =
                blankOpened ? output.InsertPages(pagesBefore - 1, blank, 0, 1, false) : blankOpened;
            if (!inserted && !blankReported) {
                outcome.problems.add(
                    Status::Failed(blankPath, inserted.reason() +
                                                  QStringLiteral(", so blank sheets are missing")));
                blankReported = true;
            }
        }
        const int startPage = output.GetNumPages();
        if (step)
            step = output.InsertPages(startPage - 1, source, 0, pages, false);
        if (step) {
            outcome.bookmarks.append({BookmarkTitle(name), startPage});
            pending = NeedsBlankSheet(pages, w.Check1().Value());
        } else {
            if (output.GetNumPages() > pagesBefore)
                output.DeletePages(pagesBefore, output.GetNumPages() - 1);
            outcome.problems.add(
                Status::Failed(step.file(), step.reason() + QStringLiteral("; it was left out")));
        }
        source.Close();
        w.ProgressBar2().SetValue(i);
    }

    if (output.GetNumPages() < 1) {
        outcome.problems.add(Status::Failed(outputPath, QStringLiteral("no page could be added, "
                                                                       "so no book was written")));
        return outcome;
    }
    const Status saved = output.Save(1, outputPath);
    if (!saved) {
        outcome.problems.add(saved);
        return outcome;
    }
    outcome.bookWritten = true;
    if (const Status marked = BookmarkBook(suite, outputPath, outcome.bookmarks, w.Messages());
        !marked)
        outcome.problems.add(Status::Failed(
            marked.file(),
            QStringLiteral("the bookmarks could not be added (%1)").arg(marked.reason())));
    outcome.problems.add(output.Save(1, outputPath));
    suite.PresentShownBook();
    return outcome;
}

} // namespace qf
