#pragma once

#include <QList>
#include <QString>

namespace qf {

// The caption of the program's messages.
inline const QString kProgramTitle = QStringLiteral("Quirefold");

// Something a job must tell the user at once, before it goes on: the window shows it as a
// modal message, the batch command prints it.
struct Notice {
    enum class Icon { None, Information, Warning, Critical };
    QString text;
    QString caption;
    Icon icon = Icon::None;
    QString file{}; // the one file it is about; empty: none
};

// How a job tells what it is doing while it runs. The window shows it in its status lines, list
// and bars; the batch command on its console. Every call comes on the job's thread, one at a
// time, so an observer needs no locking; the window's hands the calls to its own thread.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    // What the job is doing now, e.g. "Compiling PDF files...".
    virtual void Doing(const QString &what) = 0;
    // The file the job is at. step is its place among the job's files, or -1 for a file that is
    // not one of them (the book's name while the book is begun).
    virtual void At(const QString &file, int step = -1) = 0;
    // The entry of the job's list it has come to, whether or not it is worked on.
    virtual void Entry(int index) { (void)index; }
    // done of total steps are finished.
    virtual void Progress(int done, int total) = 0;
    // A file the job has just made or replaced.
    virtual void Made(const QString &path) { (void)path; }
    virtual void Tell(const Notice &notice) = 0;
    // Called every few milliseconds while the job waits on other processes.
    virtual void Waiting() {}
    // Whether the user asked the job to stop. A job asks between files and while it waits; it
    // then ends soon, keeping what it finished and leaving nothing half written.
    virtual bool StopRequested() { return false; }
};

// An observer that wants to hear nothing.
class SilentObserver : public JobObserver {
public:
    void Doing(const QString &) override {}
    void At(const QString &, int) override {}
    void Progress(int, int) override {}
    void Tell(const Notice &) override {}
};

} // namespace qf
