#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

// Shared by the fuzz targets, which also build without libFuzzer for the replay test.

// A broken invariant must stop the run where libFuzzer (or the replay test) sees it, with the
// condition named, also in builds without assertions.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// One scratch folder per process, in TMPDIR (bench/fuzz.sh points it at memory, where the
// writers' flushes cost nothing), removed at exit.
class ScratchFolder {
public:
    static const QString &Path()
    {
        static ScratchFolder folder;
        return folder.path_;
    }

private:
    ScratchFolder()
    {
        QByteArray name = QFile::encodeName(QDir::tempPath()) + "/quirefold-fuzz-XXXXXX";
        if (!::mkdtemp(name.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = QFile::decodeName(name);
    }
    ~ScratchFolder() { QDir(path_).removeRecursively(); }

    QString path_;
};

inline QString ScratchFile(const QString &name)
{
    return ScratchFolder::Path() + QLatin1Char('/') + name;
}

// Writes the bytes as the whole file with plain system calls, so the code under test is the only
// project code that touches it.
inline void WriteBytes(const QString &path, const char *data, size_t size)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FUZZ_CHECK(fd >= 0);
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        FUZZ_CHECK(n > 0);
        done += size_t(n);
    }
    ::close(fd);
}

// The whole file's bytes; "<missing>" when it cannot be read.
inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace fuzz
