#pragma once

#include "core/Status.h"

#include <QSet>
#include <QString>

#include <chrono>
#include <functional>

namespace qf {

// The changes to one folder's files, as the kernel tells them (inotify). Only the folder
// itself is watched, not its subfolders.
class FolderWatch {
public:
    // counts: whether a change to the file of this name is one to act on.
    FolderWatch(const QString &folder, std::function<bool(const QString &name)> counts);
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    // Ok once the folder is watched; otherwise why it cannot be.
    const Status &status() const { return status_; }

    // Takes in the changes told so far, without waiting. Those to a name in own (files a run of
    // this program has just written) are passed over.
    void TakeTold(const QSet<QString> &own);

    enum class Outcome { Changed, Stopped, FolderGone };
    // Waits for a change that counts and then for quiet: no change for quiet. Ends early, with
    // Stopped, once stop becomes readable.
    Outcome Wait(std::chrono::milliseconds quiet, int stop);

private:
    // Reads what the kernel has told.
    void Read(const QSet<QString> &own);

    std::function<bool(const QString &)> counts_;
    Status status_;
    int fd_ = -1;
    bool changed_ = false;
    bool gone_ = false;
};

} // namespace qf
