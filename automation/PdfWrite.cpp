#include "automation/PdfWrite.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFSystemError.hh>
#include <qpdf/QPDFWriter.hh>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qf {
namespace {

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

bool SyncFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

QString PdfFailureReason(const std::exception &e)
{
    if (auto *exc = dynamic_cast<const QPDFExc *>(&e)) {
        if (exc->getErrorCode() == qpdf_e_password)
            return QStringLiteral("is encrypted with a password");
        return QStringLiteral("is damaged or not a PDF file (%1)")
            .arg(QString::fromStdString(exc->getMessageDetail()));
    }
    if (auto *sys = dynamic_cast<const QPDFSystemError *>(&e))
        return QStringLiteral("could not be read (%1)").arg(SystemReason(sys->getErrno()));
    return QString::fromStdString(e.what());
}

Status WritePdfAtomically(PdfFile &file, const QString &path)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Status::Failed(path,
                              QStringLiteral("could not be written (%1)").arg(SystemReason(errno)));
    ::fchmod(fd, NewFileMode());
    ::close(fd);

    auto fail = [&](const QString &reason) {
        ::unlink(temp.constData());
        return Status::Failed(path, QStringLiteral("could not be written (%1)").arg(reason));
    };
    const size_t warningsBefore = file.pdf.numWarnings();
    try {
        QPDFWriter writer(file.pdf, temp.constData());
        writer.setMinimumPDFVersion(file.version);
        writer.write();
    } catch (const std::exception &e) {
        return fail(QString::fromStdString(e.what()));
    }
    if (file.pdf.numWarnings() > warningsBefore) {
        const auto warnings = file.pdf.getWarnings();
        return fail(QStringLiteral("a page's content could not be read: %1")
                        .arg(QString::fromStdString(warnings.back().getMessageDetail())));
    }
    if (!SyncFile(temp))
        return fail(SystemReason(errno));
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail(SystemReason(errno));
    return Status::Ok();
}

} // namespace qf
