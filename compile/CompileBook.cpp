#include "compile/CompileBook.h"

#include "automation/PdfDocument.h"
#include "store/FolderBoundary.h"
#include "store/WholeFile.h"

#include <qpdf/QPDFExc.hh>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qf {
namespace {

// Makes the output folder, unless it is a link that leads out of the working folder. An old book of
// the output path's name is not deleted here: the complete new one replaces it at the end, so a
// run that makes no book, or is killed, loses none.
Status PrepareOutput(const QString &workingFolder, const QString &folder, const QString &outputPath)
{
    if (const Status inside = CheckInsideFolder(workingFolder, folder); !inside)
        return inside;
    QDir().mkdir(folder); // an existing folder is reused
    if (!QFileInfo(folder).isDir())
        return Status::Failed(folder, QStringLiteral("the output folder could not be made"));
    if (QFileInfo(outputPath).isDir())
        return Status::Failed(outputPath, QStringLiteral("is a folder, so no book can be written "
                                                         "under that name"));
    RemoveLeftoverTemporaries(folder);
    return Status::Ok();
}

// A source that qpdf had to repair while reading: what it found, past its general complaint.
QString RepairDetail(PdfFile &file)
{
    const std::vector<QPDFExc> warnings = file.pdf.getWarnings();
    for (const QPDFExc &warning : warnings)
        if (warning.getMessageDetail() != "file is damaged")
            return QString::fromStdString(warning.getMessageDetail());
    return QStringLiteral("file is damaged");
}

// Inputs that went into the book damaged, each named once, in list order, by the path the run
// knows it by.
class DamageReport {
public:
    void Add(const QString &path, const QString &reason)
    {
        for (Status &named : list_)
            if (named.file() == path) {
                named = Status::Failed(path, named.reason() + QStringLiteral("; it ") + reason);
                return;
            }
        list_.append(Status::Failed(path, reason));
    }
    // What the book's writer found, named by the absolute paths of the inputs.
    void AddWritten(const Problems &written, const QStringList &paths)
    {
        for (const Status &damaged : written.list()) {
            QString shown = damaged.file();
            for (const QString &path : paths)
                if (AbsolutePdfPath(path) == damaged.file())
                    shown = path;
            Add(shown, damaged.reason());
        }
    }
    void MoveTo(Problems &problems)
    {
        for (const Status &status : list_)
            problems.add(status);
        list_.clear();
    }

private:
    QList<Status> list_;
};

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
    const Status prepared = PrepareOutput(
        ctx.ws.WorkingFolder, JoinPath(ctx.ws.WorkingFolder, kOutputFolderName), outputPath);
    // The book is made under a hidden name and takes the output path's place only once it is
    // complete, bookmarks and all.
    WholeFileWrite book;
    const Status begun = prepared ? book.Begin(outputPath, ctx.ws.WorkingFolder) : prepared;
    if (!begun) {
        outcome.problems.add(begun);
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
    DamageReport damage;
    QStringList paths;
    w.Text1().Show(QStringLiteral("Compiling PDF files..."));
    w.ProgressBar2().SetValue(0);
    const int count = int(names.size());
    for (int i = 1; i <= count; ++i) {
        const QString &name = names.at(i - 1);
        w.ProgressBar2().SetMin(0);
        w.ProgressBar2().SetMax(count);
        w.Text2().Show(name);
        const QString path = ctx.ws.PathOf(name);
        paths.append(path);
        Status step = source.Open(path);
        const int pages = source.GetNumPages();
        // A damaged file whose pages are all lost is not an empty one.
        if (step && pages < 1)
            step = Status::Failed(path, source.file()->pdf.anyWarnings()
                                            ? QStringLiteral("is damaged (%1), and no page of it "
                                                             "could be read")
                                                  .arg(RepairDetail(*source.file()))
                                            : QStringLiteral("has no pages"));
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
        if (step && source.file()->pdf.anyWarnings())
            damage.Add(path, QStringLiteral("is damaged (%1); what could be read of it went into "
                                            "the book")
                                 .arg(RepairDetail(*source.file())));
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
    const QString staged = book.TemporaryPath();
    // The viewer bookmarks the book in memory under its hidden name and its save writes it there,
    // once and complete; the rename then puts it in the old one's place.
    output.AssignPath(staged);
    const Status marked = BookmarkBook(suite, staged, outcome.bookmarks, w.Messages());
    Status done = marked ? output.Save(1, staged) : marked; // written already, unless not shown
    if (done)
        done = book.Commit(); // the one step that replaces the old book
    damage.AddWritten(output.file()->damagedSources, paths);
    damage.MoveTo(outcome.problems);
    if (!done) {
        outcome.problems.add(Status::Failed(
            outputPath,
            QStringLiteral("the book could not be finished (%1), so no book was written")
                .arg(done.reason())));
        return outcome;
    }
    outcome.bookWritten = true;
    output.file()->path = AbsolutePdfPath(outputPath); // the viewer shows the book by its name
    suite.PresentShownBook();
    return outcome;
}

} // namespace qf
