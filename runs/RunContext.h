#pragma once

#include "compile/BookViewer.h"
#include "core/Workspace.h"
#include "runs/CompletionSound.h"
#include "window/Controls.h"

namespace qf {

// What a run works with: the process-wide values, the window, and the outside world.
struct RunContext {
    Workspace &ws;
    MainWindow &window;
    CompletionSound &sound;
    BookViewer &bookViewer;
    // The program's own folder, which holds empty_page.pdf.
    QString programFolder;
};

} // namespace qf
