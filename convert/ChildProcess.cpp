#include "convert/ChildProcess.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
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

// The guard is made by the child before it becomes the outside program, perhaps sharing this
// program's memory and with locks that other threads held: both keep to system calls.

constexpr size_t kGuardStack = 64 * 1024;
constexpr int kOwnerGone = SIGUSR1;

struct GuardPlan {
    pid_t program;
    pid_t owner;
};

pid_t guardOwner = 0;

extern "C" void OnOwnerGone(int)
{
    // Also sent when only the starting thread ended, or by anyone in the group.
    if (::getppid() != guardOwner)
        ::kill(0, SIGKILL);
}

void CloseAllDescriptors()
{
    if (::syscall(SYS_close_range, 0U, ~0U, 0U) == 0)
        return;
    rlimit limit = {};
    const rlim_t end = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < (1U << 20)
                           ? limit.rlim_cur
                           : (1U << 20);
    for (rlim_t fd = 0; fd < end; ++fd)
        ::close(int(fd));
}

void AwaitExitOf(pid_t pid)
{
#ifdef SYS_pidfd_open
    const int exited = int(::syscall(SYS_pidfd_open, pid, 0));
    if (exited >= 0) {
        pollfd watch = {exited, POLLIN, 0};
        while (::poll(&watch, 1, -1) < 0 && errno == EINTR) {
        }
        return;
    }
#endif
    // Without pidfd_open (before Linux 5.3) a zombie counts as running until it is reaped.
    const timespec pause = {0, 100 * 1000 * 1000};
    while (::kill(pid, 0) == 0)
        ::nanosleep(&pause, nullptr);
}

// A sibling of the outside program in its group: kills the whole group, itself included, when
// this program dies or when the outside program exits and leaves others behind.
extern "C" int Guard(void *argument)
{
    const GuardPlan plan = *static_cast<const GuardPlan *>(argument);
    guardOwner = plan.owner;
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    // End() is for the outside program: it decides how to end, and the guard follows.
    action.sa_handler = SIG_IGN;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        ::sigaction(signal, &action, nullptr);
    action.sa_handler = OnOwnerGone;
    ::sigaction(kOwnerGone, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Its copies would keep the outside program's output, and its start-up report, open.
    CloseAllDescriptors();
    ::prctl(PR_SET_PDEATHSIG, kOwnerGone);
    if (::getppid() != plan.owner)
        ::kill(0, SIGKILL);
    AwaitExitOf(plan.program);
    ::kill(0, SIGKILL);
    return 0;
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
            *reason = QCoreApplication::translate("Conversion", "the program \"%1\" was not found")
                          .arg(program);
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
    int report[2];
    if (::pipe2(report, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (reason)
            *reason =
                QCoreApplication::translate("Conversion", "\"%1\" could not be started (no pipe)")
                    .arg(program);
        return false;
    }
    if (!guardStack_)
        guardStack_ = std::make_unique<char[]>(kGuardStack);
    process_.setChildProcessModifier(
        [inherit, owner = ::getpid(), report = report[1], stack = guardStack_.get() + kGuardStack] {
            ::setsid();
            GuardPlan plan{::getpid(), owner};
            // Its own copy of memory, on its own stack: this child may be sharing its parent's.
            const pid_t guard = ::clone(Guard, stack, CLONE_PARENT | SIGCHLD, &plan);
            if (guard < 0)
                ::_exit(127); // never a program without its guard
            if (::write(report, &guard, sizeof guard) != sizeof guard)
                ::_exit(127);
            if (inherit >= 0)
                ::fcntl(inherit, F_SETFD, 0);
        });
    process_.start();
    const bool started = process_.waitForStarted(10000);
    const QString error = process_.errorString();
    if (!started) {
        process_.kill();
        process_.waitForFinished(1000);
    }
    // The child reports its guard before it execs or exits.
    ::close(report[1]);
    pid_t guard = 0;
    if (::read(report[0], &guard, sizeof guard) == sizeof guard)
        guard_ = guard;
    ::close(report[0]);
    if (!started) {
        if (reason)
            *reason = QCoreApplication::translate("Conversion", "\"%1\" could not be started (%2)")
                          .arg(program, error);
        ReapGuard();
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
    ReapGuard();
    Unregister(group_);
    group_ = 0;
}

void ChildProcess::ReapGuard()
{
    // Unreaped, it is still ours: the id cannot have gone to another process.
    if (guard_ > 0) {
        ::kill(pid_t(guard_), SIGKILL);
        ::waitpid(pid_t(guard_), nullptr, 0);
    }
    guard_ = 0;
}

void ChildProcess::KillGroup(qint64 group)
{
    if (group > 0)
        ::kill(pid_t(-group), SIGKILL);
}

} // namespace qf
