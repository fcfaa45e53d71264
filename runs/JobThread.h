#pragma once

#include "compile/BookViewer.h"
#include "runs/WindowObserver.h"

#include <functional>

namespace qf {

// What a job on a thread of its own tells: each call reaches shown on the application's thread, in
// order, without the job waiting for it, except a notice, which the job waits on until the user
// has closed it. A request to stop is asked of shown at once, from the job's thread.
class ForwardingObserver : public JobObserver {
public:
    explicit ForwardingObserver(WindowObserver &shown) : shown_(shown) {}

    void Doing(const QString &what) override;
    void At(const QString &file, int step) override;
    void Entry(int index) override;
    void Progress(int done, int total) override;
    void Made(const QString &path) override;
    void Tell(const Notice &notice) override;
    bool StopRequested() override { return shown_.StopRequested(); }

private:
    WindowObserver &shown_;
};

// Opens the book from the application's thread, where the desktop's services belong.
class ViewerOnWindowThread : public BookViewer {
public:
    explicit ViewerOnWindowThread(BookViewer &viewer) : viewer_(viewer) {}
    bool ShowBook(const QString &path) override;

private:
    BookViewer &viewer_;
};

// Starts job on a thread of its own, once the input already waiting has been seen, and returns at
// once; the window's events go on. then is called on the application's thread once the job has
// ended and all it told has been shown.
void StartBesideWindow(std::function<void()> job, std::function<void()> then);

// For the application's end, once its events are over: the jobs still running wait on the window
// no longer (what they would still show is not shown), and are waited for. Their then is not
// called.
void EndJobsBesideWindow();

} // namespace qf
