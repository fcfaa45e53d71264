#include "runs/FolderLists.h"

namespace qf {

Status ListFolderFiles(const QString &folder, TickList &list, const QStringList &patterns)
{
    QStringList names;
    const Status listed = ListFolderFiles(folder, patterns, names);
    for (const QString &name : names)
        list.AddItem(name);
    return listed;
}

Status RefillList(const QString &folder, TickList &list, TextBox &countLine, FileKind kind,
                  bool clearFirst, const QStringList &documentTypes)
{
    if (clearFirst)
        list.Clear();
    const Status status = ListFolderFiles(folder, list, PatternsOf(kind, documentTypes));
    countLine.SetText(CountLine(kind, list.Count()));
    return status;
}

} // namespace qf
