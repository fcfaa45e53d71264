#include "listing/FolderListing.h"

#include <algorithm>

#include "core/Workspace.h"
#include "listing/Wildcard.h"

#include <QCoreApplication>
#include <QFile>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace qf {
namespace {

fs::path ToFsPath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString FromFsName(const fs::path &name)
{
    return QFile::decodeName(QByteArray::fromStdString(name.native()));
}

bool IsHiddenName(const QString &name)
{
    return name.startsWith(QLatin1Char('.'));
}

// Splits at the last separator; a path without one names a file in the current folder.
void SplitPath(const QString &path, QString &folder, QString &name)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    folder = slash < 0 ? QStringLiteral(".") : path.left(slash + 1);
    name = slash < 0 ? path : path.mid(slash + 1);
}

// Calls visit for each regular file of folder (symbolic links followed) until it returns true.
// Returns whether the folder could be read.
bool ForEachRegularFile(const QString &folder, const std::function<bool(const QString &)> &visit)
{
    std::error_code ec;
    fs::directory_iterator it(ToFsPath(folder), ec);
    if (ec)
        return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return false;
        std::error_code typeError;
        if (it->is_regular_file(typeError) && visit(FromFsName(it->path().filename())))
            return true;
    }
    return !ec;
}

} // namespace

QString PatternOf(FileKind kind)
{
    return kind == FileKind::Doc ? QStringLiteral("*.DOC") : QStringLiteral("*.PDF");
}

QString CountLine(FileKind kind, int count)
{
    return (kind == FileKind::Doc
                ? QCoreApplication::translate("Files", "%1 DOC file(s) found in folder.")
                : QCoreApplication::translate("Files", "%1 PDF file(s) found in folder."))
        .arg(count);
}

Status ListFolderFiles(const QString &folder, const QStringList &patterns, QStringList &names)
{
    std::error_code ec;
    fs::directory_iterator it(ToFsPath(folder), ec);
    QStringList unusable;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const fs::path fileName = it->path().filename();
        const QString name = FromFsName(fileName);
        const QString upper = name.toUpper();
        if (std::none_of(patterns.begin(), patterns.end(), [&upper](const QString &pattern) {
                return WildcardMatch(upper, pattern);
            }))
            continue;
        if (QFile::encodeName(name).toStdString() != fileName.native())
            unusable.append(name);
        else
            names.append(name);
    }
    if (ec)
        return Status::Failed(
            folder, QCoreApplication::translate("Files", "the folder cannot be listed (%1)")
                        .arg(QString::fromLocal8Bit(ec.message().c_str())));
    if (!unusable.isEmpty())
        return Status::Failed(JoinPath(folder, unusable.first()),
                              QCoreApplication::translate(
                                  "Files",
                                  "its name is not valid text in the system's encoding, so it is "
                                  "not listed (%n such file(s)); rename it",
                                  nullptr, int(unusable.size())));
    return Status::Ok();
}

QStringList PatternsOf(FileKind kind, const QStringList &documentTypes)
{
    if (kind == FileKind::Pdf || documentTypes.isEmpty())
        return {PatternOf(kind)};
    QStringList patterns;
    for (const QString &type : documentTypes)
        patterns.append(QStringLiteral("*.") + type);
    return patterns;
}

FolderIndex FolderIndex::Read(const QString &folder)
{
    FolderIndex index;
    ForEachRegularFile(folder, [&index](const QString &name) {
        if (!IsHiddenName(name))
            index.folded_.insert(name.toCaseFolded());
        return false;
    });
    return index;
}

bool FolderIndex::Contains(const QString &name) const
{
    return !IsHiddenName(name) && folded_.contains(name.toCaseFolded());
}

bool FileExists(const QString &path)
{
    QString folder, name;
    SplitPath(path, folder, name);
    if (name.isEmpty() || IsHiddenName(name))
        return false;
    std::error_code ec;
    if (fs::is_regular_file(ToFsPath(path), ec))
        return true;
    bool found = false;
    ForEachRegularFile(folder, [&](const QString &entry) {
        found = !IsHiddenName(entry) && entry.compare(name, Qt::CaseInsensitive) == 0;
        return found;
    });
    return found;
}

QString ResolveIgnoringCase(const QString &path)
{
    std::error_code ec;
    if (fs::exists(fs::symlink_status(ToFsPath(path), ec)))
        return path;
    QString folder, name;
    SplitPath(path, folder, name);
    if (name.isEmpty())
        return path;
    QString match;
    ForEachRegularFile(folder, [&](const QString &entry) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            return false;
        match = entry;
        return true;
    });
    return match.isEmpty() ? path : path.left(path.size() - name.size()) + match;
}

} // namespace qf
