#include "convert/ChildProcess.h"

#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qf {
namespace {

// The process groups running now, for the signal handler: lock-free, so safe to read there.
std::atomic<qint64> liveGroups[64];
static_assert(std::atomic<qint64>::is_always_lock_free);

void Register(qint64 group)
{
    for (auto &slot : liveGroups) {
        qint64 empty = 0;
        if (slot.compare_exchange_strong(empty, group))
            return;
    }
}

void Unregister(qint64 group)
{
    for (auto &slot : liveGroups) {
        qint64 expected = group;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

extern "C" void EndChildrenAndDie(int signal)
{
    for (auto &slot : liveGroups)
        if (const qint64 group = slot.load(); group > 0)
            ::kill(pid_t(-group), SIGKILL);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

void ChildProcess::EndChildrenOnSignals()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = EndChildrenAndDie;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

bool ChildProcess::Start(const QString &program, const QStringList &arguments, Channels output,
                         QString *reason, int inherit)
{
    End();
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("the program \"%1\" was not found").arg(program);
        return false;
    }
    process_.setProgram(path);
    process_.setArguments(arguments);
    process_.setStandardInputFile(QProcess::nullDevice());
    if (output == Channels::Discard) {
        // A pipe would outlive a crashed child in its grandchildren and hang the reader.
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
    } else {
        process_.setProcessChannelMode(QProcess::MergedChannels);
    }
    process_.setChildProcessModifier([inherit] {
        ::setsid();
        if (inherit >= 0)
            ::fcntl(inherit, F_SETFD, 0);
    });
    process_.start();
    if (!process_.waitForStarted(10000)) {
        if (reason)
            *reason = QStringLiteral("\"%1\" could not be started (%2)")
                          .arg(program, process_.errorString());
        process_.kill();
        process_.waitForFinished(1000);
        return false;
    }
    group_ = process_.processId();
    Register(group_);
    return true;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds bound,
                               const std::function<void()> &keepResponsive)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + bound;
    while (IsRunning()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        process_.waitForFinished(int(std::min<qint64>(left.count(), 50)));
        if (keepResponsive)
            keepResponsive();
    }
    return true;
}

void ChildProcess::End(std::chrono::milliseconds grace)
{
    if (group_ == 0)
        return;
    ::kill(pid_t(-group_), SIGTERM);
    process_.waitForFinished(int(grace.count()));
    KillGroup(group_); // the leader if it is still there, and whatever it left behind
    if (IsRunning())
        process_.waitForFinished(5000);
    Unregister(group_);
    group_ = 0;
}

void ChildProcess::KillGroup(qint64 group)
{
    if (group > 0)
        ::kill(pid_t(-group), SIGKILL);
}

} // namespace qf
