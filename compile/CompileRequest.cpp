#include "compile/CompileRequest.h"

#include "bundle/PageNumberFormat.h"
#include "core/Workspace.h"
#include "store/FolderBoundary.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qf {

QString BookPath(const QString &workingFolder, const QString &name)
{
    return JoinPath(JoinPath(workingFolder, kOutputFolderName), name);
}

Status CheckOutputFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return Status::Failed(
            QString(), QCoreApplication::translate(
                           "Book", "The book's name \"%1\" is not a plain file name, so no book "
                                   "was written. Type a name such as CompiledPDFDocument.pdf "
                                   "in \"Compiled PDF File Name:\" and compile again.")
                           .arg(name));
    return Status::Ok();
}

QString BookTitle(const QString &bookName)
{
    return bookName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? bookName.chopped(4)
                                                                         : bookName;
}

QString BookTitleOf(const CompileRequest &request)
{
    if (!request.title.isEmpty())
        return request.title;
    const QString folder = QFileInfo(QDir::cleanPath(request.workingFolder)).fileName();
    return folder.isEmpty() ? BookTitle(request.bookName) : folder;
}

void TakeBookChoices(CompileRequest &request, const BookChoices &choices)
{
    request.title = choices.bookTitle;
    request.fitBlankSheets = choices.fitBlankSheets;
    request.keepBookmarks = choices.keepBookmarks;
    request.compact = choices.compactBook;
    request.linearized = choices.linearized;
    request.bookmarkTitles =
        choices.bookmarkTitles == kBookmarkTitlesFileName   ? BookmarkTitles::FileName
        : choices.bookmarkTitles == kBookmarkTitlesOwnTitle ? BookmarkTitles::Title
                                                            : BookmarkTitles::FirstDot;
    request.indexPage = choices.indexPage;
    request.pageNumbers = choices.pageNumbers;
    request.numberRoom = choices.numberRoom;
    request.recogniseScans = choices.ocr;
    request.ocrLanguages = choices.ocrLanguages;
    request.volumeLimit = choices.volumeLimit;
    request.pageFit = PageFit::Named(choices.pageSize);
    request.forFiling = choices.forFiling;
}

Status CheckPageNumberFormat(const QString &format)
{
    QString problem;
    if (!format.isEmpty() && !PageNumberFormat::Parse(format, &problem))
        return Status::Failed(QString(), problem);
    return Status::Ok();
}

QStringList SourcePaths(const CompileRequest &request)
{
    QStringList paths;
    for (const QString &name : request.names)
        paths.append(JoinPath(request.workingFolder, name));
    return paths;
}

QString PasswordFor(const CompileRequest &request, const QString &path)
{
    const auto found = request.passwords.find(path);
    return found == request.passwords.end() ? QString() : found->second;
}

Status PrepareOutput(const QString &workingFolder, const QString &folder, const QString &outputPath)
{
    if (const Status inside = CheckInsideFolder(workingFolder, folder); !inside)
        return inside;
    QDir().mkdir(folder); // an existing folder is reused
    if (!QFileInfo(folder).isDir())
        return Status::Failed(
            folder, QCoreApplication::translate("Book", "the output folder could not be made"));
    if (QFileInfo(outputPath).isDir())
        return Status::Failed(outputPath, QCoreApplication::translate(
                                              "Book", "is a folder, so no book can be written "
                                                      "under that name"));
    RemoveLeftoverTemporaries(folder);
    return Status::Ok();
}

} // namespace qf
