#pragma once

#include "core/JobObserver.h"
#include "core/Workspace.h"
#include "window/Controls.h"

namespace qf {

// A job's progress as the window shows it: what it does in Text1, the file in Text2, how far on
// the job's bar, the entry at hand highlighted in its list, and each PDF it makes in the PDF list
// at once. Its calls come on the window's thread; StopRequested may come from any.
class WindowObserver : public JobObserver {
public:
    WindowObserver(const Workspace &ws, MainWindow &window, ProgressBar &bar,
                   TickList *list = nullptr)
        : ws_(ws), window_(window), bar_(bar), list_(list)
    {}

    void Doing(const QString &what) override { window_.StatusLine().Show(what); }
    void At(const QString &file, int) override { window_.FileLine().Show(file); }
    void Entry(int index) override;
    void Progress(int done, int total) override;
    void Made(const QString &path) override;
    void Tell(const Notice &notice) override;
    // The same, returning at once: read is called once the user has closed it.
    void Tell(const Notice &notice, std::function<void()> read);
    bool StopRequested() override { return window_.StopRequested(); }

private:
    const Workspace &ws_;
    MainWindow &window_;
    ProgressBar &bar_;
    TickList *list_;
};

} // namespace qf
