#include "convert/ChildProcess.h"

#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace qf {

bool ChildProcess::Start(const QString &program, const QStringList &arguments, Channels output,
                         QString *reason)
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
    process_.setChildProcessModifier([] { ::setsid(); });
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
    if (group_ != 0) {
        ::kill(pid_t(-group_), SIGTERM);
        if (!process_.waitForFinished(int(grace.count())))
            KillGroup(group_);
    }
    // Whatever the group leader left behind goes too.
    if (group_ != 0)
        KillGroup(group_);
    if (IsRunning())
        process_.waitForFinished(5000);
    group_ = 0;
}

void ChildProcess::KillGroup(qint64 group)
{
    if (group > 0)
        ::kill(pid_t(-group), SIGKILL);
}

} // namespace qf
