#include "store/FolderSelection.h"

#include "listing/ListOrder.h"
#include "store/IgnoreList.h"
#include "store/WholeFile.h"

#include <algorithm>

namespace qf {
namespace {

QStringList NamesTicked(const TickedNames &list, bool ticked)
{
    QStringList names;
    for (qsizetype i = 0; i < list.names.size(); ++i)
        if (list.ticked.value(i) == ticked)
            names.append(list.names.at(i));
    return names;
}

// Ticks every name the ignore list does not name; without one, every name, after making it
// empty unless that is not wanted.
Status ApplyIgnoreList(const Workspace &ws, const QString &path, MissingIgnoreLists missing,
                       TickedNames &list)
{
    QSet<QString> ignored;
    Status status = Status::Ok();
    if (FileExists(path))
        status = ReadIgnoreList(path, ignored);
    else if (!ws.WorkingFolder.isEmpty() && missing == MissingIgnoreLists::Create)
        status = CreateEmptyFile(path);
    list.ticked.clear();
    for (const QString &name : list.names)
        list.ticked.append(!ignored.contains(name));
    return status;
}

} // namespace

QStringList TickedNames::Ticked() const
{
    return NamesTicked(*this, true);
}

QStringList TickedNames::Unticked() const
{
    return NamesTicked(*this, false);
}

Status ListWithTicks(const Workspace &ws, FileKind kind, const QStringList &documentTypes,
                     const QString &ignorePath, MissingIgnoreLists missing, TickedNames &list)
{
    list = {};
    const Status listed =
        ListFolderFiles(ws.WorkingFolder, PatternsOf(kind, documentTypes), list.names);
    std::sort(list.names.begin(), list.names.end(), ListOrderLess);
    const Status ticked = ApplyIgnoreList(ws, ignorePath, missing, list);
    return listed ? ticked : listed;
}

Problems LoadFolderLists(const Workspace &ws, const QStringList &documentTypes,
                         MissingIgnoreLists missing, FolderSelection &selection)
{
    Problems listing, ticks;
    selection.documents = {};
    selection.pdfs = {};
    const Status documents = ListFolderFiles(
        ws.WorkingFolder, PatternsOf(FileKind::Doc, documentTypes), selection.documents.names);
    listing.add(documents);
    // The PDF listing would fail for the same reason: said once.
    const Status pdfs =
        ListFolderFiles(ws.WorkingFolder, PatternsOf(FileKind::Pdf), selection.pdfs.names);
    if (listing.empty())
        listing.add(pdfs);
    for (TickedNames *list : {&selection.documents, &selection.pdfs})
        std::sort(list->names.begin(), list->names.end(), ListOrderLess);
    ticks.add(ApplyIgnoreList(ws, ws.DocIgnorePath(), missing, selection.documents));
    ticks.add(ApplyIgnoreList(ws, ws.PdfIgnorePath(), missing, selection.pdfs));
    listing.merge(ticks);
    return listing;
}

Problems LoadFolderSelection(const Workspace &ws, MissingIgnoreLists missing,
                             FolderSelection &selection)
{
    selection.settings = ReadFolderSettings(ws.SettingsPath);
    return LoadFolderLists(ws, selection.settings.choices.documentTypes, missing, selection);
}

Problems StoreIgnoreLists(const Workspace &ws, const FolderSelection &selection)
{
    Problems problems;
    if (const Status folder = RequireFolder(ws); !folder) {
        problems.add(folder);
        return problems;
    }
    problems.merge(WriteIgnoreList(ws.DocIgnorePath(), selection.documents.Unticked()));
    problems.merge(WriteIgnoreList(ws.PdfIgnorePath(), selection.pdfs.Unticked()));
    return problems;
}

Problems StoreFolderSelection(Workspace &ws, const FolderSelection &selection)
{
    Problems problems;
    if (const Status folder = RequireFolder(ws); !folder) {
        problems.add(folder);
        return problems;
    }
    ws.ResetSettingsPath();
    problems.add(WriteFolderSettings(ws.SettingsPath, selection.settings));
    problems.merge(StoreIgnoreLists(ws, selection));
    return problems;
}

Problems StoreRunChoices(Workspace &ws, const FolderSelection &selection)
{
    if (!ws.WorkingFolder.isEmpty())
        RemoveLeftoverTemporaries(ws.WorkingFolder);
    return StoreFolderSelection(ws, selection);
}

} // namespace qf
