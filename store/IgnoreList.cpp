#include "store/IgnoreList.h"

#include "core/Workspace.h"
#include "listing/FolderListing.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace qf {

Problems WriteIgnoreList(const QString &path, const QStringList &names)
{
    Problems problems;
    QString text;
    for (const QString &name : names) {
        if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'))) {
            // Written, it would come back as two names, ticked, and could untick others.
            problems.add(Status::Failed(
                JoinPath(QFileInfo(path).path(), name),
                QCoreApplication::translate(
                    "Files", "its tick cannot be remembered because of the line break in its "
                             "name; rename it to keep it unticked")));
            continue;
        }
        text += name + QLatin1String("\r\n");
    }
    // The reader drops a byte order mark at the file's start, as editors put one there: a first
    // name that begins with one keeps it behind a mark of the file's own.
    if (text.startsWith(QChar(0xFEFF)))
        text.prepend(QChar(0xFEFF));
    problems.add(WriteWholeFile(ResolveIgnoringCase(path), EncodeSystem(text)));
    return problems;
}

namespace {

QStringList Lines(const QByteArray &bytes)
{
    // Lines end at CR LF, CR, or (as files edited here do) LF alone.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    return DecodeSystem(bytes).split(lineEnd);
}

} // namespace

Status ReadIgnoreList(const QString &path, QSet<QString> &names)
{
    names.clear();
    QByteArray bytes;
    const Status read = ReadWholeFile(ResolveIgnoringCase(path), bytes);
    if (!read)
        return read;
    const QStringList lines = Lines(bytes);
    names = QSet<QString>(lines.cbegin(), lines.cend());
    return Status::Ok();
}

Status ReadNameList(const QString &path, QStringList &names)
{
    names.clear();
    QByteArray bytes;
    const Status read = ReadWholeFile(ResolveIgnoringCase(path), bytes);
    if (!read)
        return read;
    if (bytes.contains('\0'))
        return Status::Failed(
            ResolveIgnoringCase(path),
            QCoreApplication::translate("Files", "is damaged: it holds no list of names"));
    names = Lines(bytes);
    names.removeAll(QString()); // the last line's end, and blank lines
    return Status::Ok();
}

Status CreateEmptyFile(const QString &path)
{
    return WriteWholeFile(ResolveIgnoringCase(path), QByteArray());
}

} // namespace qf
