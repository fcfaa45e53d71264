#pragma once

#include "core/Status.h"
#include "core/Workspace.h"
#include "store/FolderSelection.h"
#include "window/Controls.h"

namespace qf {

// The folder's stored choices and ticks in the window's controls, at start-up, when a run starts
// and at Close.

// Start-up: Check1 and Text5 from the settings file; without one, ticked and the default name.
// The book choices too, each off unless the file turns it on. Writes nothing.
void ApplySettingsStep(const Workspace &ws, MainWindow &window);

// Start-up, once both lists are filled: each list ticked except the items its ignore list names.
// A missing ignore list is created empty, unless told to change nothing. Returns what went wrong,
// for the log only.
Problems ApplyIgnoreListStep(const Workspace &ws, MainWindow &window,
                             MissingIgnoreLists missing = MissingIgnoreLists::Create);

// Both runs, before anything else touches the folder: the settings, then both ignore lists and
// a PDF order the user moved.
Problems StoreSettingsAndIgnoreLists(Workspace &ws, MainWindow &window);

// The Close button: both ignore lists, documents first, and a PDF order the user moved. Each is
// tried even if one fails.
Problems SaveIgnoreLists(const Workspace &ws, MainWindow &window);

// The folder's state as the window's controls hold it.
FolderSelection SelectionOf(MainWindow &window);

// The list's names, ticked as given, and its count line.
void ShowList(const TickedNames &names, FileKind kind, TickList &list, TextBox &countLine);

// The list's unticked items into the ignore list at path (see WriteIgnoreList).
Problems SaveIgnoreList(const QString &path, const TickList &list);
// Ticks every item, then unticks every item the ignore list at path names. A file that cannot be
// read leaves every item ticked and fails.
Status LoadIgnoreList(const QString &path, TickList &list);

} // namespace qf
