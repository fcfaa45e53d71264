#pragma once

#include <QString>

#include <memory>

namespace qf::lo {

// One numbered office profile under a root folder, locked (flock) for as long as this object
// lives: two processes never share a profile, yet later runs reuse it and so start fast.
class ProfileSlot {
public:
    ~ProfileSlot();
    ProfileSlot(const ProfileSlot &) = delete;
    ProfileSlot &operator=(const ProfileSlot &) = delete;

    // The first free slot under root; null with a reason when none can be had.
    static std::unique_ptr<ProfileSlot> Take(const QString &root, QString *reason);

    // The office's user installation folder, and the same as a file URL.
    const QString &Folder() const { return folder_; }
    QString Url() const;
    // Where the office keeps its temporary files; emptied by Prepare.
    QString TempFolder() const;
    // Whether the profile holds anything yet, from an earlier run or Prepare.
    bool Used() const;
    // Readies the profile for a start: seeded so the office skips its first-start work, and
    // temporary files of an office that was ended removed.
    bool Prepare(QString *reason);
    // Removes the whole profile, so the next start builds it anew.
    void Wipe();
    // The descriptor holding the slot's lock. The office started on the slot inherits it, so the
    // slot stays taken while any office on it lives, even one this process left behind.
    int LockFd() const { return lockFd_; }

private:
    ProfileSlot(int lockFd, const QString &folder) : lockFd_(lockFd), folder_(folder) {}

    int lockFd_;
    QString folder_;
};

// The installed office's version as its profile records it ("7.4"); empty when unknown.
QString InstalledOfficeVersion();

} // namespace qf::lo
