#include "book/Linearize.h"

#include "store/WholeFile.h"

#include <qpdf/Pl_Count.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFSystemError.hh>
#include <qpdf/QPDFWriter.hh>

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

namespace qf {
namespace {

void Configure(QPDFWriter &writer, bool objectStreams)
{
    // The book's streams are as they are to stay: decoding them again only costs time.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setObjectStreamMode(objectStreams ? qpdf_o_generate : qpdf_o_disable);
    writer.setLinearization(true);
}

} // namespace

Status Linearize(const QString &written, bool objectStreams, WholeFileWrite &out)
{
    const auto fail = [&](const QString &reason) {
        return Status::Failed(
            out.Target(),
            QCoreApplication::translate("Book", "could not be written (%1)").arg(reason));
    };
    try {
        QPDF book;
        book.processFile(QFile::encodeName(written).constData());
        const int fd = out.Descriptor();
        if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
            return fail(SystemReason(errno));
        FILE *stream = ::fdopen(::dup(fd), "wb");
        if (!stream)
            return fail(SystemReason(errno));
        const QByteArray name = QFile::encodeName(out.TemporaryPath()); // the writer keeps it
        QPDFWriter writer(book);
        writer.setOutputFile(name.constData(), stream, true);
        Configure(writer, objectStreams);
        writer.write(); // and closes the stream, so the file is complete
    } catch (const QPDFSystemError &e) {
        return fail(SystemReason(e.getErrno()));
    } catch (const std::exception &e) {
        return fail(QString::fromStdString(e.what()));
    }
    return Status::Ok();
}

long long LinearizedSize(const std::string &bytes, bool objectStreams)
{
    try {
        QPDF book;
        book.processMemoryFile("book", bytes.data(), bytes.size());
        Pl_Discard discard;
        Pl_Count count("book", &discard);
        QPDFWriter writer(book);
        writer.setOutputPipeline(&count);
        Configure(writer, objectStreams);
        writer.write();
        return count.getCount();
    } catch (const std::exception &) {
        return -1;
    }
}

} // namespace qf
