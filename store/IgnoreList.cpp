#include "store/IgnoreList.h"

#include "listing/FolderListing.h"
#include "store/AtomicFile.h"

#include <QRegularExpression>
#include <QSet>

namespace qf {

Status SaveIgnoreList(const QString &path, const TickList &list)
{
    QString text;
    for (int i = 0; i < list.ListCount(); ++i)
        if (!list.Selected(i))
            text += list.ItemText(i) + QLatin1String("\r\n");
    return WriteWholeFile(ResolveIgnoringCase(path), EncodeSystem(text));
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
