#include "store/WholeFile.h"

#include "core/Workspace.h"
#include "store/FolderBoundary.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qf {
namespace {

const QByteArray kTag = QByteArrayLiteral(".quirefold-");
const QByteArray kOfficeLock = QByteArrayLiteral(".~lock.");
// Room for the tag, a process id and the random part within a name's 255 bytes.
constexpr qsizetype kMaxKeptName = 200;

// The mode a newly created file gets here, read without setting the process's umask, which
// other threads may rely on at that moment.
mode_t NewFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return 0666 & ~mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
    return 0644;
}

// The start of a name, cut to whole UTF-8 characters.
QByteArray ShortenedName(const QByteArray &name)
{
    if (name.size() <= kMaxKeptName)
        return name;
    qsizetype end = kMaxKeptName;
    while (end > 0 && (quint8(name.at(end)) & 0xC0) == 0x80)
        --end;
    return name.left(end);
}

bool ProcessRuns(long long pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

WholeFileWrite::~WholeFileWrite()
{
    Abandon();
}

Status WholeFileWrite::Fail(const QString &reason)
{
    Abandon();
    return Status::Failed(
        path_, QCoreApplication::translate("Files", "could not be written (%1)").arg(reason));
}

Status WholeFileWrite::Begin(const QString &path, const QString &boundary)
{
    Abandon();
    path_ = path;
    const Status inside = ResolveInsideFolder(boundary, path, &target_);
    if (!inside)
        return inside;
    if (QFileInfo(target_).isDir())
        return Status::Failed(
            path, QCoreApplication::translate("Files", "could not be written (it is a folder)"));
    const QFileInfo info(target_);
    QByteArray name = QFile::encodeName(info.path()) + '/' + '.' +
                      ShortenedName(QFile::encodeName(info.fileName())) + kTag +
                      QByteArray::number(qint64(::getpid())) + "-XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0)
        return Status::Failed(path,
                              QCoreApplication::translate("Files", "could not be written (%1)")
                                  .arg(SystemReason(errno)));
    temp_ = QFile::decodeName(name);
    struct stat existing;
    const mode_t mode = ::stat(QFile::encodeName(target_).constData(), &existing) == 0
                            ? existing.st_mode & 07777
                            : NewFileMode();
    ::fchmod(fd_, mode);
    return Status::Ok();
}

Status WholeFileWrite::Commit()
{
    if (fd_ < 0)
        return Status::Failed(path_, QCoreApplication::translate(
                                         "Files", "could not be written (nothing was begun)"));
    // A writer that opened the file by its path wrote through another descriptor; this one still
    // reaches the same data for the flush.
    if (::fsync(fd_) != 0)
        return Fail(SystemReason(errno));
    ::close(fd_);
    fd_ = -1;
    if (::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(target_).constData()) != 0)
        return Fail(SystemReason(errno));
    temp_.clear();
    return Status::Ok();
}

void WholeFileWrite::Abandon()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty())
        ::unlink(QFile::encodeName(temp_).constData());
    temp_.clear();
}

Status WriteWholeFile(const QString &path, const QByteArray &bytes, const QString &boundary)
{
    WholeFileWrite write;
    if (const Status begun = write.Begin(path, boundary); !begun)
        return begun;
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(write.Descriptor(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            write.Abandon();
            return Status::Failed(path,
                                  QCoreApplication::translate("Files", "could not be written (%1)")
                                      .arg(SystemReason(error)));
        }
        done += n;
    }
    return write.Commit();
}

QString ScratchPathFor(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QByteArray name = QFile::encodeName(path.mid(slash + 1));
    return path.left(slash + 1) +
           QFile::decodeName('.' + ShortenedName(name) + kTag + QByteArray::number(::getpid()));
}

bool IsTemporaryName(const QByteArray &fileName, long long *pid)
{
    // The office locks a file it writes with ".~lock.NAME#", which a killed office leaves.
    QByteArray name = fileName;
    if (name.startsWith(kOfficeLock) && name.endsWith('#'))
        name = name.mid(kOfficeLock.size(), name.size() - kOfficeLock.size() - 1);
    // ".NAME.quirefold-PID" for scratch files, with "-XXXXXX" after it for temporary ones.
    const qsizetype tag = name.lastIndexOf(kTag);
    if (!name.startsWith('.') || tag <= 0)
        return false;
    QByteArray id = name.mid(tag + kTag.size());
    const qsizetype dash = id.indexOf('-');
    if (dash >= 0) {
        const QByteArray random = id.mid(dash + 1);
        if (random.size() != 6 || !std::all_of(random.begin(), random.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c));
            }))
            return false;
        id.truncate(dash);
    }
    if (id.isEmpty() || !std::all_of(id.begin(), id.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return false;
    bool number = false;
    const long long value = id.toLongLong(&number);
    if (!number || value <= 0)
        return false;
    if (pid)
        *pid = value;
    return true;
}

QString ScratchFolderIn(const QString &folder)
{
    return JoinPath(folder, QStringLiteral(".scratch") + QString::fromLatin1(kTag) +
                                QString::number(::getpid()));
}

Status MakeScratchFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return Status::Ok();
        ::unlink(name.constData()); // a leftover of a process of the same id, or a link
    }
    // Another thread of this process may have made it just now.
    if (::mkdir(name.constData(), 0700) != 0 &&
        !(errno == EEXIST && ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode)))
        return Status::Failed(path, QCoreApplication::translate("Files", "could not be made (%1)")
                                        .arg(SystemReason(errno)));
    return Status::Ok();
}

void RemoveScratchFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (DIR *dir = ::fdopendir(fd)) {
        while (const dirent *entry = ::readdir(dir)) {
            struct stat st;
            // Files and links go; a folder (never made by Quirefold) is left, and so is this one.
            if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
                ::unlinkat(fd, entry->d_name, 0);
        }
        ::closedir(dir);
    } else {
        ::close(fd);
    }
    ::rmdir(name.constData());
}

void RemoveLeftoverTemporaries(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        long long pid = 0;
        if (IsTemporaryName(QByteArray(entry->d_name), &pid) && !ProcessRuns(pid)) {
            struct stat st;
            if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            // Plain files and scratch folders: never a link, which is no file of Quirefold's.
            if (S_ISREG(st.st_mode))
                ::unlinkat(dirFd, entry->d_name, 0);
            else if (S_ISDIR(st.st_mode))
                RemoveScratchFolder(JoinPath(folder, QFile::decodeName(entry->d_name)));
        }
    }
    ::closedir(dir);
}

Status ReadWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(
            path,
            QCoreApplication::translate("Files", "could not be read (%1)").arg(file.errorString()));
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::Failed(
            path,
            QCoreApplication::translate("Files", "could not be read (%1)").arg(file.errorString()));
    return Status::Ok();
}

QByteArray EncodeSystem(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString DecodeSystem(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}

} // namespace qf
