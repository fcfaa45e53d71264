#include "batch/StopSignals.h"

#include "convert/ChildProcess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qf {
namespace {

std::atomic<int> stopSignal{0};
int wake[2] = {-1, -1};

extern "C" void OnStopSignal(int signal)
{
    const int saved = errno;
    stopSignal.store(signal);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake[1], &byte, 1);
    // A second signal must not wait for the job.
    ChildProcess::EndChildrenOnSignals();
    errno = saved;
}

} // namespace

void StopOnSignals()
{
    ChildProcess::EndChildrenOnSignals(); // SIGHUP, and the signals until the pipe is there
    if (wake[0] < 0 && ::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action = {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

int StopSignal()
{
    return stopSignal.load();
}

int StopWakeDescriptor()
{
    return wake[0];
}

void EndAsSignalled()
{
    const int signal = stopSignal.load();
    if (signal == 0)
        return;
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace qf
