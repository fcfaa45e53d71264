#include "store/IgnoreList.h"

#include "core/Workspace.h"
#include "listing/FolderListing.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace qf {

Problems SaveIgnoreList(const QString &path, const TickList &list)
{
    Problems problems;
    QString text;
    for (int i = 0; i < list.ListCount(); ++i) {
        if (list.Selected(i))
            continue;
        const QString name = list.ItemText(i);
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

Status LoadIgnoreList(const QString &path, TickList &list)
{
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i)
        list.SetSelected(i, true);

    QByteArray bytes;
    const Status read = ReadWholeFile(ResolveIgnoringCase(path), bytes);
    if (!read)
        return read;
    // Lines end at CR LF, CR, or (as files edited here do) LF alone.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = DecodeSystem(bytes).split(lineEnd);
    const QSet<QString> ignored(lines.cbegin(), lines.cend());
    for (int i = 0; i < count; ++i)
        if (ignored.contains(list.ItemText(i)))
            list.SetSelected(i, false);
    return Status::Ok();
}

Status CreateEmptyFile(const QString &path)
{
    return WriteWholeFile(ResolveIgnoringCase(path), QByteArray());
}

} // namespace qf
