#include "runs/JobThread.h"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

namespace qf {

namespace {

// Calls on the application's thread, without waiting.
void Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

// The jobs' waits on the window, which the application's end gives up: no wait begins while the
// window's events are over, and one begun in an earlier era is over.
struct Waits {
    std::mutex mutex;
    std::condition_variable changed;
    int era = 0;
    bool windowGone = false;
};

Waits &TheWaits()
{
    static Waits waits;
    return waits;
}

// The jobs running, on the application's thread.
std::set<QThread *> &Running()
{
    static std::set<QThread *> running;
    return running;
}

// Has start called on the application's thread, which calls done once what it began is over (a
// message closed, say), and waits for that, or for the application's end. What start refers to
// lives until done.
void CallAndWait(const std::function<void(std::function<void()> done)> &start)
{
    Waits &waits = TheWaits();
    auto over = std::make_shared<bool>(false); // under waits.mutex
    const auto done = [over, &waits] {
        const std::lock_guard lock(waits.mutex);
        *over = true;
        waits.changed.notify_all();
    };
    std::unique_lock lock(waits.mutex);
    if (waits.windowGone)
        return;
    const int era = waits.era;
    Post([start, done, era, &waits] {
        {
            const std::lock_guard held(waits.mutex);
            if (waits.era != era) // the job has gone on, and what start refers to with it
                return;
        }
        start(done);
    });
    waits.changed.wait(lock, [&] { return *over || waits.era != era; });
}

} // namespace

ForwardingObserver::ForwardingObserver(WindowObserver &shown) : shown_(shown)
{
    frame_.setSingleShot(true);
    QObject::connect(&frame_, &QTimer::timeout, [this] { Deliver(); });
}

void ForwardingObserver::Update(const std::function<void(Latest &)> &change)
{
    const std::lock_guard lock(mutex_);
    change(latest_);
    if (std::exchange(posted_, true))
        return;
    // A frame's changes go in one delivery: waking the window's thread for each step of a quick
    // job would take from the job the cores it runs on.
    Post([this] {
        const qint64 wait = lastDelivered_.isValid() ? kFrameMs - lastDelivered_.elapsed() : 0;
        if (wait > 0)
            frame_.start(int(wait));
        else
            Deliver();
    });
}

void ForwardingObserver::Deliver()
{
    frame_.stop();
    lastDelivered_.start();
    Latest latest;
    {
        const std::lock_guard lock(mutex_);
        latest = std::exchange(latest_, {});
        posted_ = false;
    }
    for (const QString &what : latest.doing)
        shown_.Doing(what);
    if (latest.at)
        shown_.At(latest.at->first, latest.at->second);
    if (latest.entry)
        shown_.Entry(*latest.entry);
    if (latest.progress)
        shown_.Progress(latest.progress->first, latest.progress->second);
    if (latest.made) // the list is read again: once for all made meanwhile
        shown_.Made(*latest.made);
}

void ForwardingObserver::Doing(const QString &what)
{
    Update([&](Latest &latest) { latest.doing.append(what); });
}

void ForwardingObserver::At(const QString &file, int step)
{
    Update([&](Latest &latest) { latest.at = {file, step}; });
}

void ForwardingObserver::Entry(int index)
{
    Update([&](Latest &latest) { latest.entry = index; });
}

void ForwardingObserver::Progress(int done, int total)
{
    Update([&](Latest &latest) { latest.progress = {done, total}; });
}

void ForwardingObserver::Made(const QString &path)
{
    Update([&](Latest &latest) { latest.made = path; });
}

void ForwardingObserver::Tell(const Notice &notice)
{
    CallAndWait([&](std::function<void()> read) {
        // Deliver();
        shown_.Tell(notice, std::move(read));
    });
}

bool ViewerOnWindowThread::ShowBook(const QString &path)
{
    bool shown = false;
    CallAndWait([&](const std::function<void()> &done) {
        shown = viewer_.ShowBook(path);
        done();
    });
    return shown;
}

void StartBesideWindow(std::function<void()> job, std::function<void()> then)
{
    QThread *thread = QThread::create(std::move(job));
    Running().insert(thread);
    // Queued after everything the job posted, so then comes once all of it was shown; not for a
    // job the application's end waited for.
    QObject::connect(
        thread, &QThread::finished, QCoreApplication::instance(),
        [thread, then = std::move(then)] {
            const bool waitedFor = Running().erase(thread) == 0;
            thread->wait();
            delete thread;
            if (!waitedFor)
                then();
        },
        Qt::QueuedConnection);
    // Input already waiting (a request to stop, say) is seen before the job starts.
    Post([thread] {
        if (Running().count(thread) > 0)
            thread->start();
    });
}

void EndJobsBesideWindow()
{
    Waits &waits = TheWaits();
    {
        const std::lock_guard lock(waits.mutex);
        ++waits.era;
        waits.windowGone = true;
        waits.changed.notify_all();
    }
    for (QThread *thread : Running())
        thread->wait();
    Running().clear();
    const std::lock_guard lock(waits.mutex);
    waits.windowGone = false;
}

} // namespace qf
