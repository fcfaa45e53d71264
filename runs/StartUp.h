#pragma once

#include "core/Status.h"
#include "core/Workspace.h"
#include "jobs/Requests.h"
#include "runs/FolderState.h"
#include "store/FolderChoices.h"
#include "window/Controls.h"

#include <functional>

namespace qf {

// The document list filled anew with the folder's documents of the chosen types: ticked as the
// document ignore list says, its count line and marks brought up to date.
void RelistDocuments(const Workspace &ws, MainWindow &window);

// The folder's book choices that differ from the defaults, in one line for the status line:
// "This folder's book: index in front, pages numbered 'Page {n} of {total}'"; empty when none do.
QString FolderChoicesLine(const BookChoices &choices);

// A hint at what the defaults do, with the window's way to change it.
QString HintSaid(const DefaultsHint &hint);

// The start-up hints said anew in the status line, for the window's choices as they are now; the
// folder's choices that differ when none is left.
void SayDefaultsHints(const Workspace &ws, MainWindow &window);

// The start-up steps after the command line has given ws its folder: settings into the window,
// show it (through show), both lists filled and counted, ignore lists applied, item 0 current.
// A step that fails is passed by; what failed is returned for the log, never shown.
Problems StartUp(Workspace &ws, MainWindow &window, const std::function<void()> &show,
                 MissingIgnoreLists missing = MissingIgnoreLists::Create);

} // namespace qf
