#pragma once

#include "core/Status.h"
#include "core/Workspace.h"
#include "listing/FolderListing.h"
#include "listing/ListOrder.h"
#include "store/FolderChoices.h"

#include <QList>
#include <QStringList>

namespace qf {

// One tick list as plain data: the names in the lists' order, each ticked or not.
struct TickedNames {
    QStringList names;
    QList<bool> ticked; // one per name

    QStringList Ticked() const;
    QStringList Unticked() const;
};

// The folder's state as the window shows it and the jobs take it: its settings, and both lists
// with their ticks.
struct FolderSelection {
    FolderSettings settings;
    TickedNames documents;
    TickedNames pdfs;
    QStringList ownPdfOrder; // the PDF list's own order (QFPDFOrder.INI), if the folder has one
    bool ownPdfOrderMoved = false; // moved here since it was read: stored with the ignore lists
    Status ownPdfOrderRead = Status::Ok(); // failed: its file is damaged; the PDFs are sorted
};

// At start-up a missing ignore list is made empty, unless nothing in the folder may change.
enum class MissingIgnoreLists { Create, Leave };

// Ticks every name the ignore list at path does not name; without one, every name, after making
// it empty unless it is not wanted or there is no folder. A list that cannot be read ticks every
// name and fails.
Status ApplyIgnoreList(const Workspace &ws, const QString &path, MissingIgnoreLists missing,
                       TickedNames &list);

// The folder's files of a kind, in the lists' order (documents of the types chosen), each ticked
// unless the ignore list at ignorePath names it. A list that cannot be read leaves every item
// ticked and fails.
Status ListWithTicks(const Workspace &ws, FileKind kind, const QStringList &documentTypes,
                     const ListSorting &sorting, const QString &ignorePath,
                     MissingIgnoreLists missing, TickedNames &list);

// Both lists as start-up fills them, in the order and with the documents' types chosen. A
// listing that fails says so once, before what failed with the ignore lists.
Problems LoadFolderLists(const Workspace &ws, const BookChoices &choices,
                         MissingIgnoreLists missing, FolderSelection &selection);

// The settings file, then both lists.
Problems LoadFolderSelection(const Workspace &ws, MissingIgnoreLists missing,
                             FolderSelection &selection);

// The PDF list's order: the folder's own, if any, then the list order the choices ask for.
ListSorting PdfSorting(const FolderSelection &selection);

// The folder's own order of its PDFs, when it has one: its file read, or not there. A file that
// cannot be read gives none, and says so, for a notice.
Status ReadOwnPdfOrder(const Workspace &ws, QStringList &names);
// Stores the PDF list's order as the folder's own; or, for none, removes the file.
Problems StoreOwnPdfOrder(const Workspace &ws, const QStringList &names);

// Both lists put in the order the settings choose, each name keeping its tick.
void SortLists(FolderSelection &selection);

// Both ignore lists, documents first, then the PDFs' own order when it was moved; each is tried
// even if one before it fails.
Problems StoreIgnoreLists(const Workspace &ws, const FolderSelection &selection);

// The settings, then both ignore lists (and a moved order).
Problems StoreFolderSelection(Workspace &ws, const FolderSelection &selection);

// Before a run touches anything else: what killed runs left in the folder goes, then the
// settings and both ignore lists are stored.
Problems StoreRunChoices(Workspace &ws, const FolderSelection &selection);

} // namespace qf
