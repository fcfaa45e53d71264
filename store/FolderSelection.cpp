#include "store/FolderSelection.h"

#include "listing/ListOrder.h"
#include "store/IgnoreList.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <numeric>

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

// The folder's files of a kind, sorted.
Status ListSorted(const Workspace &ws, FileKind kind, const QStringList &documentTypes,
                  const ListSorting &sorting, TickedNames &list)
{
    list = {};
    const Status listed =
        ListFolderFiles(ws.WorkingFolder, PatternsOf(kind, documentTypes), list.names);
    SortNames(list.names, sorting);
    return listed;
}

} // namespace

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

QStringList TickedNames::Ticked() const
{
    return NamesTicked(*this, true);
}

QStringList TickedNames::Unticked() const
{
    return NamesTicked(*this, false);
}

Status ListWithTicks(const Workspace &ws, FileKind kind, const QStringList &documentTypes,
                     const ListSorting &sorting, const QString &ignorePath,
                     MissingIgnoreLists missing, TickedNames &list)
{
    const Status listed = ListSorted(ws, kind, documentTypes, sorting, list);
    const Status ticked = ApplyIgnoreList(ws, ignorePath, missing, list);
    return listed ? ticked : listed;
}

ListSorting PdfSorting(const FolderSelection &selection)
{
    return ListSorting(OrderOf(selection.settings.choices), selection.ownPdfOrder);
}

Status ReadOwnPdfOrder(const Workspace &ws, QStringList &names)
{
    names.clear();
    if (ws.WorkingFolder.isEmpty() || !FileExists(ws.PdfOrderPath()))
        return Status::Ok();
    const Status read = ReadNameList(ws.PdfOrderPath(), names);
    if (!read)
        return Status::Failed(read.file(), QCoreApplication::translate(
                                               "Files", "%1, so the PDFs are in their sorted order")
                                               .arg(read.reason()));
    return read;
}

Problems StoreOwnPdfOrder(const Workspace &ws, const QStringList &names)
{
    Problems problems;
    if (const Status folder = RequireFolder(ws); !folder) {
        problems.add(folder);
        return problems;
    }
    if (!names.isEmpty())
        return WriteIgnoreList(ws.PdfOrderPath(), names); // the same format
    const QString path = ResolveIgnoringCase(ws.PdfOrderPath());
    if (FileExists(path) && !QFile::remove(path))
        problems.add(
            Status::Failed(path, QCoreApplication::translate("Files", "could not be removed")));
    return problems;
}

Problems LoadFolderLists(const Workspace &ws, const BookChoices &choices,
                         MissingIgnoreLists missing, FolderSelection &selection)
{
    Problems problems;
    problems.add(ListSorted(ws, FileKind::Doc, choices.documentTypes, OrderOf(choices),
                            selection.documents));
    // A damaged order of the folder's own is said, and the PDFs keep their sorted order.
    selection.ownPdfOrderRead = ReadOwnPdfOrder(ws, selection.ownPdfOrder);
    const Status pdfs =
        ListSorted(ws, FileKind::Pdf, {}, ListSorting(OrderOf(choices), selection.ownPdfOrder),
                   selection.pdfs);
    if (problems.empty()) // the PDF listing would fail for the same reason: said once
        problems.add(pdfs);
    problems.add(ApplyIgnoreList(ws, ws.DocIgnorePath(), missing, selection.documents));
    problems.add(ApplyIgnoreList(ws, ws.PdfIgnorePath(), missing, selection.pdfs));
    return problems;
}

void SortLists(FolderSelection &selection)
{
    const ListSorting documents(OrderOf(selection.settings.choices)), pdfs = PdfSorting(selection);
    for (TickedNames *list : {&selection.documents, &selection.pdfs}) {
        const ListSorting &sorting = list == &selection.pdfs ? pdfs : documents;
        QList<qsizetype> rows(list->names.size());
        std::iota(rows.begin(), rows.end(), 0);
        std::stable_sort(rows.begin(), rows.end(), [&](qsizetype a, qsizetype b) {
            return sorting.Less(list->names.at(a), list->names.at(b));
        });
        TickedNames sorted;
        for (const qsizetype row : rows) {
            sorted.names.append(list->names.at(row));
            sorted.ticked.append(list->ticked.value(row));
        }
        *list = sorted;
    }
}

Problems LoadFolderSelection(const Workspace &ws, MissingIgnoreLists missing,
                             FolderSelection &selection)
{
    selection.settings = ReadFolderSettings(ws.SettingsPath);
    return LoadFolderLists(ws, selection.settings.choices, missing, selection);
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
    if (selection.ownPdfOrderMoved)
        problems.merge(StoreOwnPdfOrder(ws, selection.ownPdfOrder));
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
