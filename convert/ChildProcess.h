#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace qf {

// An outside program started in a process group of its own, so that ending it ends everything it
// started too. Always ended and reaped: by End(), or at the latest when this object goes.
//
// Nothing in the group outlives this program, however it ends (even by SIGKILL or a crash): the
// group holds a guard, a child of this program beside the outside one, that kills the whole group
// when this program dies, and when the outside program exits. Start it from a thread that
// outlives the child, such as the main thread: the child is watched and reaped from there, and
// the kernel tells the guard of its owner's death when the starting thread ends.
class ChildProcess {
public:
    enum class Channels { Capture, Discard };

    ChildProcess() = default;
    ~ChildProcess() { End(); }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts program (found on the PATH) with arguments, never through a shell. False with a
    // reason when it cannot be started. The descriptor inherit, if any, stays open in the child.
    bool Start(const QString &program, const QStringList &arguments, Channels output,
               QString *reason, int inherit = -1);

    // Waits until it exits or bound passes, calling keepResponsive now and then. True when it
    // exited; then ExitCode() and Crashed() tell how.
    bool WaitForExit(std::chrono::milliseconds bound,
                     const std::function<void()> &keepResponsive = {});

    // Ends the whole process group (politely, then by force) and reaps the child.
    void End(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    // Sets an environment variable for the program started next.
    void SetEnvironment(const QString &name, const QString &value)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(name, value);
        process_.setProcessEnvironment(environment);
    }

    bool IsRunning() const { return process_.state() != QProcess::NotRunning; }
    // The process group, 0 once ended; it may be ended from another thread.
    qint64 ProcessGroup() const { return group_; }
    int ExitCode() const { return process_.exitCode(); }
    bool Crashed() const { return process_.exitStatus() == QProcess::CrashExit; }
    // What it wrote to standard output and standard error, when captured.
    QByteArray TakeOutput() { return process_.readAll(); }

    // Ends every process of group at once; safe from any thread.
    static void KillGroup(qint64 group);

    // Makes SIGINT, SIGTERM and SIGHUP end every child process group still running before the
    // program ends, so a program stopped from outside leaves no outside program behind.
    static void EndChildrenOnSignals();

private:
    void ReapGuard();

    QProcess process_;
    qint64 group_ = 0;
    qint64 guard_ = 0;
    std::unique_ptr<char[]> guardStack_;
};

} // namespace qf
