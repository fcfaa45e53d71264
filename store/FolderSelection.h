#pragma once

#include "core/Status.h"
#include "core/Workspace.h"
#include "listing/FolderListing.h"
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
};

// At start-up a missing ignore list is made empty, unless nothing in the folder may change.
enum class MissingIgnoreLists { Create, Leave };

// The folder's files of a kind, in the lists' order (documents of the types chosen), each ticked
// unless the ignore list at ignorePath names it. A list that cannot be read leaves every item
// ticked and fails.
Status ListWithTicks(const Workspace &ws, FileKind kind, const BookChoices &choices,
                     const QString &ignorePath, MissingIgnoreLists missing, TickedNames &list);

// Both lists as start-up fills them, in the order and with the documents' types chosen. A
// listing that fails says so once, before what failed with the ignore lists.
Problems LoadFolderLists(const Workspace &ws, const BookChoices &choices,
                         MissingIgnoreLists missing, FolderSelection &selection);

// The settings file, then both lists.
Problems LoadFolderSelection(const Workspace &ws, MissingIgnoreLists missing,
                             FolderSelection &selection);

// Both lists put in the order the settings choose, each name keeping its tick.
void SortLists(FolderSelection &selection);

// Both ignore lists, documents first; both are tried even if one fails.
Problems StoreIgnoreLists(const Workspace &ws, const FolderSelection &selection);

// The settings, then both ignore lists.
Problems StoreFolderSelection(Workspace &ws, const FolderSelection &selection);

// Before a run touches anything else: what killed runs left in the folder goes, then the
// settings and both ignore lists are stored.
Problems StoreRunChoices(Workspace &ws, const FolderSelection &selection);

} // namespace qf
