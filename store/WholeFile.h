#pragma once

#include "core/Status.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace qf {

// Every file Quirefold writes is written whole or not at all: into a hidden temporary file beside
// it (".NAME.quirefold-PID-XXXXXX"), flushed to disk, given the old file's mode (or the usual mode
// of a new file), and renamed over it. The target is never reached through a symbolic link that
// leads out of the folder the write is held to.
class WholeFileWrite {
public:
    WholeFileWrite() = default;
    ~WholeFileWrite(); // removes the temporary file unless committed
    WholeFileWrite(const WholeFileWrite &) = delete;
    WholeFileWrite &operator=(const WholeFileWrite &) = delete;

    // Makes the temporary file for path, held to boundary (empty: path's own folder).
    Status Begin(const QString &path, const QString &boundary = QString());
    // The temporary file to fill: by its descriptor or, for a writer that opens it itself
    // (Ghostscript), by its path.
    int Descriptor() const { return fd_; }
    const QString &TemporaryPath() const { return temp_; }
    // The file that Commit replaces: path with its links inside the folder followed.
    const QString &Target() const { return target_; }
    // Flushes and renames the temporary file into place.
    Status Commit();
    // Removes the temporary file; the target stays as it was.
    void Abandon();

private:
    Status Fail(const QString &reason);

    QString path_;
    QString target_;
    QString temp_;
    int fd_ = -1;
};

// Replaces the file's content with bytes; path is held to boundary (empty: its own folder).
Status WriteWholeFile(const QString &path, const QByteArray &bytes,
                      const QString &boundary = QString());

// Removes the temporary files and scratch folders that killed runs left in folder: those of
// processes that no longer run. A live process's files are kept.
void RemoveLeftoverTemporaries(const QString &folder);

// A scratch file's path beside path, for files that are made and removed within one step (a print
// file, a log): hidden, ".NAME.quirefold-PID", so a killed run's scratch files are cleared too.
QString ScratchPathFor(const QString &path);

// A hidden folder of this process's own in folder, ".scratch.quirefold-PID", for files that another
// program writes with temporary files of its own beside them (the office's "lu*.tmp"), so a killed
// program's leftovers stay recognisable. It holds plain files only.
QString ScratchFolderIn(const QString &folder);
// Makes it, replacing whatever else stands under its name.
Status MakeScratchFolder(const QString &path);
// Removes its files, then itself.
void RemoveScratchFolder(const QString &path);

// Whether a file name is one of Quirefold's temporary or scratch files; pid gets its process.
bool IsTemporaryName(const QByteArray &name, long long *pid = nullptr);

// Reads the whole file; a missing file fails like an unreadable one.
Status ReadWholeFile(const QString &path, QByteArray &bytes);

// Text in the system's 8-bit encoding, as the profile and ignore-list files hold it.
QByteArray EncodeSystem(const QString &text);
QString DecodeSystem(const QByteArray &bytes);

} // namespace qf
