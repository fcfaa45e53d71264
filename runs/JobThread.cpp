#include "runs/JobThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <memory>

namespace qf {

namespace {

// Calls on the application's thread, without waiting.
void Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

// Calls on the application's thread, and waits until it has returned.
void CallAndWait(const std::function<void()> &call)
{
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        return call();
    QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::BlockingQueuedConnection);
}

} // namespace

void ForwardingObserver::Doing(const QString &what)
{
    Post([this, what] { shown_.Doing(what); });
}

void ForwardingObserver::At(const QString &file, int step)
{
    Post([this, file, step] { shown_.At(file, step); });
}

void ForwardingObserver::Entry(int index)
{
    Post([this, index] { shown_.Entry(index); });
}

void ForwardingObserver::Progress(int done, int total)
{
    Post([this, done, total] { shown_.Progress(done, total); });
}

void ForwardingObserver::Made(const QString &path)
{
    Post([this, path] { shown_.Made(path); });
}

void ForwardingObserver::Tell(const Notice &notice)
{
    CallAndWait([&] { shown_.Tell(notice); });
}

bool ViewerOnWindowThread::ShowBook(const QString &path)
{
    bool shown = false;
    CallAndWait([&] { shown = viewer_.ShowBook(path); });
    return shown;
}

void RunBesideWindow(const std::function<void()> &job)
{
    QEventLoop loop;
    bool finished = false;
    std::unique_ptr<QThread> thread(QThread::create(job));
    // Queued after everything the job posted, so the loop ends once all of it was shown.
    QObject::connect(
        thread.get(), &QThread::finished, &loop,
        [&] {
            finished = true;
            loop.quit();
        },
        Qt::QueuedConnection);
    QTimer::singleShot(0, thread.get(), [&thread] { thread->start(); });
    // The application quitting ends every loop, and a loop started after it at once: the events
    // are then taken here until the job has ended, as it may still wait on the window (a notice,
    // the viewer).
    loop.exec();
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    thread->wait();
}

} // namespace qf
