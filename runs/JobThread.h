#pragma once

#include "compile/BookViewer.h"
#include "core/JobObserver.h"

#include <functional>

namespace qf {

// What a job on a thread of its own tells: each call reaches shown on the application's thread, in
// order, without the job waiting for it, except a notice, which the job waits on until the user
// has read it. A request to stop is asked of shown at once, from the job's thread.
class ForwardingObserver : public JobObserver {
public:
    explicit ForwardingObserver(JobObserver &shown) : shown_(shown) {}

    void Doing(const QString &what) override;
    void At(const QString &file, int step) override;
    void Entry(int index) override;
    void Progress(int done, int total) override;
    void Made(const QString &path) override;
    void Tell(const Notice &notice) override;
    bool StopRequested() override { return shown_.StopRequested(); }

private:
    JobObserver &shown_;
};

// Opens the book from the application's thread, where the desktop's services belong.
class ViewerOnWindowThread : public BookViewer {
public:
    explicit ViewerOnWindowThread(BookViewer &viewer) : viewer_(viewer) {}
    bool ShowBook(const QString &path) override;

private:
    BookViewer &viewer_;
};

// Runs job on a thread of its own while the window's events go on, and returns once it has ended
// and all it told has been shown. Input already waiting when it is called (a request to stop,
// say) is seen before the job starts.
void RunBesideWindow(const std::function<void()> &job);

} // namespace qf
