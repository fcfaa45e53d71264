#include "store/FolderBoundary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace qf {
namespace {

constexpr int kMaxLinkHops = 40; // as the kernel allows

QString RealPath(const QString &path)
{
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(path).constData(), resolved))
        return QString();
    return QFile::decodeName(resolved);
}

bool IsInside(const QString &root, const QString &path)
{
    return path == root || root == QLatin1String("/") || path.startsWith(root + QLatin1Char('/'));
}

bool IsLink(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString LinkText(const QString &path)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer - 1);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(n)));
}

Status LeadsOut(const QString &link, const QString &text)
{
    return Status::Failed(link, QCoreApplication::translate(
                                    "Files", "is a symbolic link to %1, outside the folder, so "
                                             "nothing was written through it")
                                    .arg(text));
}

// The names after boundary in path, or just the last name when path is not under boundary.
QStringList NamesBelow(QString &boundary, const QString &path)
{
    if (!boundary.isEmpty() && path.startsWith(boundary + QLatin1Char('/')))
        return path.mid(boundary.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    boundary = slash < 0    ? QStringLiteral(".")
               : slash == 0 ? QStringLiteral("/")
                            : path.left(slash);
    return {path.mid(slash + 1)};
}

} // namespace

Status ResolveInsideFolder(const QString &boundary, const QString &path, QString *target)
{
    QString folder = boundary;
    const QStringList names = NamesBelow(folder, path);
    const QString root = RealPath(folder);
    if (root.isEmpty())
        return Status::Failed(folder,
                              QCoreApplication::translate("Files", "could not be found (%1)")
                                  .arg(SystemReason(errno)));
    QString shown = folder; // the path as the user knows it, for messages
    QString real = root;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        shown += QLatin1Char('/') + name;
        if (name == QLatin1String("."))
            continue;
        QString next =
            name == QLatin1String("..") ? QFileInfo(real).path() : real + QLatin1Char('/') + name;
        // Follow this name's links one by one, so a dangling last link still names a place.
        for (int hops = 0; IsLink(next); ++hops) {
            const QString text = LinkText(next);
            if (hops == kMaxLinkHops || text.isEmpty())
                return Status::Failed(shown, QCoreApplication::translate(
                                                 "Files", "is a symbolic link that leads "
                                                          "nowhere (it goes round in a loop)"));
            const QString from = QFileInfo(next).path();
            const QString linked =
                text.startsWith(QLatin1Char('/')) ? text : from + QLatin1Char('/') + text;
            const QString linkedFolder = RealPath(QFileInfo(linked).path());
            if (linkedFolder.isEmpty() || !IsInside(root, linkedFolder))
                return LeadsOut(shown, text);
            const QString last = QFileInfo(linked).fileName();
            next = last == QLatin1String("..") ? QFileInfo(linkedFolder).path()
                   : last.isEmpty() || last == QLatin1String(".")
                       ? linkedFolder
                       : linkedFolder + QLatin1Char('/') + last;
        }
        if (!IsInside(root, next))
            return LeadsOut(shown, name);
        real = next;
    }
    *target = real;
    return Status::Ok();
}

Status CheckInsideFolder(const QString &boundary, const QString &path)
{
    QString ignored;
    return ResolveInsideFolder(boundary, path, &ignored);
}

} // namespace qf
