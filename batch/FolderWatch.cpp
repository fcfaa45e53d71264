#include "batch/FolderWatch.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <climits>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace qf {

FolderWatch::FolderWatch(const QString &folder, std::function<bool(const QString &)> counts)
    : counts_(std::move(counts))
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        status_ = Status::Failed(folder, SystemReason(errno));
        return;
    }
    // IN_MODIFY too: a file still being copied in is not yet a change to act on.
    constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                 IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF |
                                 IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), kEvents) < 0) {
        const int error = errno;
        status_ = Status::Failed(
            folder, error == ENOSPC ? QCoreApplication::translate(
                                          "Batch", "the system watches too many folders already "
                                                   "(fs.inotify.max_user_watches)")
                                    : SystemReason(error));
        ::close(fd_);
        fd_ = -1;
    }
}

FolderWatch::~FolderWatch()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void FolderWatch::Read(const QSet<QString> &own)
{
    alignas(inotify_event) char buffer[64 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
                gone_ = true;
                continue;
            }
            if (event->mask & IN_Q_OVERFLOW) {
                changed_ = true; // some were lost: any of them may have counted
                continue;
            }
            if (event->len == 0)
                continue;
            const QString name = QFile::decodeName(event->name);
            if (!own.contains(name) && counts_(name))
                changed_ = true;
        }
    }
}

void FolderWatch::TakeTold(const QSet<QString> &own)
{
    if (fd_ >= 0)
        Read(own);
}

FolderWatch::Outcome FolderWatch::Wait(std::chrono::milliseconds quiet, int stop)
{
    using Clock = std::chrono::steady_clock;
    if (fd_ < 0)
        return Outcome::FolderGone;
    std::optional<Clock::time_point> quietFrom; // once a change counted
    pollfd watched[2] = {{fd_, POLLIN, 0}, {stop, POLLIN, 0}};
    for (;;) {
        if (gone_)
            return Outcome::FolderGone;
        if (changed_) {
            quietFrom = Clock::now() + quiet;
            changed_ = false;
        }
        int timeout = -1;
        if (quietFrom) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*quietFrom - Clock::now());
            if (left.count() <= 0)
                return Outcome::Changed;
            timeout = int(left.count());
        }
        const int ready = ::poll(watched, stop >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Outcome::FolderGone;
        if (stop >= 0 && watched[1].revents != 0)
            return Outcome::Stopped;
        if (watched[0].revents != 0)
            Read({});
    }
}

} // namespace qf
