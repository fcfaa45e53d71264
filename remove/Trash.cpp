#include "remove/Trash.h"

#include "core/Status.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qf {
namespace {

// A trash folder the file can go into: its files/ and info/ are there.
struct TrashFolder {
    QByteArray root;     // .../Trash, .Trash/$UID or .Trash-$UID
    QByteArray pathBase; // what Path= is relative to; empty for absolute paths (the home trash)
};

QByteArray Parent(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The device of a path, or of its nearest existing ancestor (the home trash may not be there yet).
bool DeviceOf(QByteArray path, dev_t &device)
{
    struct stat st;
    while (::stat(path.constData(), &st) != 0) {
        if (errno != ENOENT || path == "/")
            return false;
        path = Parent(path);
    }
    device = st.st_dev;
    return true;
}

// A folder of ours, made mode 700 when missing; never a link, so the trash is not redirected.
bool OwnFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           ::access(path.constData(), W_OK | X_OK) == 0;
}

// A folder with every missing parent made mode 700, as the home trash's parents may be missing.
bool FolderWithParents(const QByteArray &path)
{
    struct stat st;
    if (::stat(path.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (errno != ENOENT || path == "/" || !FolderWithParents(Parent(path)))
        return false;
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

bool WithSubfolders(const QByteArray &root)
{
    return OwnFolder(root + "/files") && OwnFolder(root + "/info");
}

TrashOutcome NotMoved(TrashOutcome::Kind kind, int error)
{
    return {kind, QCoreApplication::translate("Files", "could not be moved to the trash (%1)")
                      .arg(SystemReason(error))};
}

QByteArray HomeTrash()
{
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.startsWith('/'))
        return data + "/Trash";
    const QByteArray home = qgetenv("HOME");
    return home.startsWith('/') ? home + "/.local/share/Trash" : QByteArray();
}

// The top directory of the file system that holds a folder: its mount point.
QByteArray TopDirectory(QByteArray folder, dev_t device)
{
    while (folder != "/") {
        struct stat st;
        const QByteArray up = Parent(folder);
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device)
            break;
        folder = up;
    }
    return folder;
}

// $top/.Trash/$UID when $top/.Trash is a real folder with the sticky bit, else $top/.Trash-$UID.
bool TopTrash(const QByteArray &top, TrashFolder &trash)
{
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    struct stat st;
    const QByteArray shared = base + "/.Trash";
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        trash = {shared + '/' + uid, top};
        if (OwnFolder(trash.root) && WithSubfolders(trash.root))
            return true;
    }
    trash = {base + "/.Trash-" + uid, top};
    return OwnFolder(trash.root) && WithSubfolders(trash.root);
}

// Reserves a name in the trash by making its .trashinfo exclusively: "Report.pdf", then
// "Report (2).pdf" and so on, never over an earlier trashed file.
bool WriteInfo(const TrashFolder &trash, const QByteArray &path, QByteArray &name, int &error)
{
    const QByteArray base = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = base.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? base.left(dot) : base;
    const QByteArray extension = dot > 0 ? base.mid(dot) : QByteArray();
    // Below the top directory, relative to it; in the home trash, absolute.
    const QByteArray where = trash.pathBase.isEmpty() ? path
                             : trash.pathBase == "/"  ? path.mid(1)
                                                      : path.mid(trash.pathBase.size() + 1);
    const QByteArray info =
        "[Trash Info]\nPath=" + where.toPercentEncoding("/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() +
        '\n';
    for (int n = 1; n < 10000; ++n) {
        name = n == 1 ? base : stem + " (" + QByteArray::number(n) + ')' + extension;
        struct stat st;
        if (::lstat((trash.root + "/files/" + name).constData(), &st) == 0)
            continue;
        const QByteArray infoPath = trash.root + "/info/" + name + ".trashinfo";
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = errno;
            return false;
        }
        const bool written = ::write(fd, info.constData(), info.size()) == info.size();
        error = errno;
        if (::close(fd) != 0 || !written) {
            ::unlink(infoPath.constData());
            return false;
        }
        return true;
    }
    error = EEXIST;
    return false;
}

// Whether the file is where the trash keeps it, with a .trashinfo a file manager can read.
bool InTrash(const TrashFolder &trash, const QByteArray &name)
{
    struct stat st;
    if (::lstat((trash.root + "/files/" + name).constData(), &st) != 0)
        return false;
    QFile info(QFile::decodeName(trash.root + "/info/" + name + ".trashinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = info.readAll();
    return text.startsWith("[Trash Info]\n") && text.contains("\nPath=") &&
           text.contains("\nDeletionDate=");
}

TrashOutcome Move(const TrashFolder &trash, const QByteArray &path)
{
    QByteArray name;
    int error = 0;
    if (!WriteInfo(trash, path, name, error))
        return NotMoved(TrashOutcome::Kind::Failed, error);
    const QByteArray target = trash.root + "/files/" + name;
    if (::rename(path.constData(), target.constData()) != 0) {
        error = errno;
        ::unlink((trash.root + "/info/" + name + ".trashinfo").constData());
        return NotMoved(error == EXDEV ? TrashOutcome::Kind::NoTrash : TrashOutcome::Kind::Failed,
                        error);
    }
    if (!InTrash(trash, name))
        return {
            TrashOutcome::Kind::Failed,
            QCoreApplication::translate("Files", "was moved to %1, but the trash does not list it")
                .arg(QFile::decodeName(target))};
    return {TrashOutcome::Kind::Trashed, QString()};
}

} // namespace

TrashOutcome MoveToTrash(const QString &path)
{
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return NotMoved(TrashOutcome::Kind::Failed, errno);
    const QByteArray home = HomeTrash();
    dev_t homeDevice = 0;
    const bool homeKnown = !home.isEmpty() && DeviceOf(home, homeDevice);
    const auto homeMade = [&] { return FolderWithParents(home) && WithSubfolders(home); };
    if (homeKnown && homeDevice == st.st_dev) {
        if (!homeMade())
            return {TrashOutcome::Kind::NoTrash,
                    QCoreApplication::translate("Files", "the trash %1 could not be made")
                        .arg(QFile::decodeName(home))};
        return Move({home, QByteArray()}, file);
    }
    // The folder's real path, so the top directory is that of the file system it is on.
    char *real = ::realpath(Parent(file).constData(), nullptr);
    const QByteArray folder = real ? QByteArray(real) : Parent(file);
    std::free(real);
    TrashFolder trash;
    if (TopTrash(TopDirectory(folder, st.st_dev), trash))
        return Move(trash, folder + file.mid(file.lastIndexOf('/')));
    // Neither can be had: the home trash only when the move works there.
    if (homeKnown && homeMade()) {
        const TrashOutcome moved = Move({home, QByteArray()}, file);
        if (moved.kind == TrashOutcome::Kind::Trashed)
            return moved;
    }
    return {TrashOutcome::Kind::NoTrash,
            QCoreApplication::translate("Files", "no trash can be had on the file system of %1")
                .arg(QFile::decodeName(folder))};
}

} // namespace qf
