#pragma once

#include "compile/BookViewer.h"
#include "runs/WindowObserver.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <mutex>
#include <optional>

namespace qf {

// What a job on a thread of its own tells reaches shown on the application's thread, without the
// job waiting for it, some 30 times a second: each stage it comes to; where it is, as it stands
// then (steps in between are passed over, as no eye would see them); the PDFs made, which the list
// shows as it reads the folder again; a notice in its turn, with what came before it, the job
// waiting until the user has closed it. A request to stop is asked of shown at once, from the
// job's thread. Lives on the application's thread.
class ForwardingObserver : public JobObserver {
public:
    explicit ForwardingObserver(WindowObserver &shown);

    // Shows at once what waits for its frame; for the job's end, once all it posted has come.
    void ShowWaiting() { Deliver(); }

    void Doing(const QString &what) override;
    void At(const QString &file, int step) override;
    void Entry(int index) override;
    void Progress(int done, int total) override;
    void Made(const QString &path) override;
    void Tell(const Notice &notice) override;
    bool StopRequested() override { return shown_.StopRequested(); }

private:
    // What is to be shown next; under mutex_.
    struct Latest {
        QStringList doing; // each stage, which the status line's history keeps
        std::optional<std::pair<QString, int>> at;
        std::optional<int> entry;
        std::optional<std::pair<int, int>> progress;
        std::optional<QString> made;
    };
    void Update(const std::function<void(Latest &)> &change);
    void Deliver();

    WindowObserver &shown_;
    std::mutex mutex_;
    Latest latest_;
    bool posted_ = false; // a delivery waits, in the application's queue or for its frame
    QTimer frame_;        // until the next delivery is due
    QElapsedTimer lastDelivered_;
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
