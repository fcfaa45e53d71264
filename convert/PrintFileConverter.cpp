#include "convert/PrintFileConverter.h"

#include "book/PdfFile.h"
#include "book/PdfWrite.h"
#include "convert/ChildProcess.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace qf {
namespace {

enum class PrintFormat { Pdf, PostScript, Unknown };

// Ghostscript reads "%d" in an output name as the page number: a "%" of the name is doubled.
QString GhostscriptFileName(QString path)
{
    return path.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

PrintFormat FormatOf(const QString &path, QString &declaredPages)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PrintFormat::Unknown;
    const QByteArray head = file.read(4096);
    if (head.contains("%PDF-"))
        return PrintFormat::Pdf;
    if (!head.startsWith("%!"))
        return PrintFormat::Unknown;
    // A document-structured file says how many pages it has; a cut-off one converts without error
    // but with pages missing, so the count is checked afterwards.
    static const QRegularExpression pages(QStringLiteral("^%%Pages:\\s*(\\d+)"),
                                          QRegularExpression::MultilineOption);
    const auto match = pages.match(QString::fromLatin1(head));
    if (match.hasMatch())
        declaredPages = match.captured(1);
    return PrintFormat::PostScript;
}

// Reads the PDF at path fully; its page count, or -1 with reason set.
int CheckPdf(PdfFile &file, const QString &path, QString &reason)
{
    try {
        file.pdf.setSuppressWarnings(true);
        file.pdf.processFile(QFile::encodeName(path).constData());
        file.version = file.pdf.getVersionAsPDFVersion();
        return int(file.pdf.getAllPages().size());
    } catch (const std::exception &e) {
        reason = PdfFailureReason(e);
        return -1;
    }
}

Status FromPdf(const QString &printFile, const QString &pdfPath, QString &log)
{
    log += QStringLiteral("Method: PDF print file, checked and rewritten with qpdf\n");
    PdfFile file;
    QString reason;
    const int pages = CheckPdf(file, printFile, reason);
    if (pages < 1)
        return Status::Failed(
            printFile,
            pages < 0 ? reason : QCoreApplication::translate("Conversion", "has no pages"));
    // Packed as the book is, unless the print file is older than object streams: a tagged PDF's
    // many small structure objects then take no more room than an untagged PDF's.
    file.objectStreams = !(file.version < PDFVersion(1, 5));
    const Status written = WritePdfAtomically(file, pdfPath);
    if (written)
        log += QStringLiteral("Pages: %1\n").arg(pages);
    return written;
}

Status FromPostScript(const QString &printFile, const QString &pdfPath, const QString &declared,
                      const std::function<void()> &keepResponsive, std::chrono::milliseconds bound,
                      QString &log)
{
    log += QStringLiteral("Method: PostScript print file, converted with Ghostscript (pdfwrite)\n");
    WholeFileWrite out;
    if (const Status begun = out.Begin(pdfPath); !begun)
        return Status::Failed(
            printFile, QCoreApplication::translate("Conversion", "its PDF could not be made: %1")
                           .arg(begun.message()));
    const QString temp = out.TemporaryPath();
    auto fail = [&](const QString &reason) {
        out.Abandon();
        return Status::Failed(printFile, reason);
    };
    ChildProcess gs;
    QString reason;
    if (!gs.Start(QStringLiteral("gs"),
                  {QStringLiteral("-q"), QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
                   QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pdfwrite"),
                   QStringLiteral("-sOutputFile=") + GhostscriptFileName(temp),
                   QStringLiteral("-f"), printFile},
                  ChildProcess::Channels::Capture, &reason))
        return fail(QCoreApplication::translate(
                        "Conversion", "%1; install Ghostscript with: apt-get install ghostscript")
                        .arg(reason));
    if (!gs.WaitForExit(bound, keepResponsive)) {
        gs.End();
        return fail(
            QCoreApplication::translate("Conversion", "Ghostscript did not finish within %1 s")
                .arg(bound.count() / 1000));
    }
    const QString output = QString::fromLocal8Bit(gs.TakeOutput()).trimmed();
    if (!output.isEmpty())
        log += QStringLiteral("Ghostscript said:\n") + output + QLatin1Char('\n');
    if (gs.Crashed() || gs.ExitCode() != 0 || output.contains(QLatin1String("Error")))
        return fail(QCoreApplication::translate("Conversion",
                                                "Ghostscript could not convert it (exit code %1)")
                        .arg(gs.ExitCode()));

    PdfFile file;
    const int pages = CheckPdf(file, temp, reason);
    if (pages < 1)
        return fail(
            QCoreApplication::translate("Conversion", "Ghostscript made no readable PDF of it"));
    if (!declared.isEmpty() && declared.toInt() != pages)
        return fail(QCoreApplication::translate(
                        "Conversion",
                        "only %1 of its %n page(s) could be converted; it may be cut off", nullptr,
                        declared.toInt())
                        .arg(pages));
    if (const Status committed = out.Commit(); !committed)
        return fail(committed.message());
    log += QStringLiteral("Pages: %1\n").arg(pages);
    return Status::Ok();
}

} // namespace

QString LogPathFor(const QString &pdfPath)
{
    const qsizetype slash = pdfPath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = pdfPath.lastIndexOf(QLatin1Char('.'));
    return ScratchPathFor((dot > slash ? pdfPath.left(dot) : pdfPath) + QStringLiteral(".LOG"));
}

Status FileToPDF(const QString &printFile, const QString &pdfPath, const QString & /*jobOptions*/,
                 const std::function<void()> &keepResponsive,
                 std::chrono::milliseconds ghostscriptBound)
{
    QString log = QStringLiteral("Print file: %1\nPDF: %2\n").arg(printFile, pdfPath);
    QString declaredPages;
    Status result;
    switch (FormatOf(printFile, declaredPages)) {
    case PrintFormat::Pdf:
        result = FromPdf(printFile, pdfPath, log);
        break;
    case PrintFormat::PostScript:
        result = FromPostScript(printFile, pdfPath, declaredPages, keepResponsive, ghostscriptBound,
                                log);
        break;
    case PrintFormat::Unknown:
        result = Status::Failed(
            printFile,
            QFile::exists(printFile)
                ? QCoreApplication::translate("Conversion", "is neither PDF nor PostScript")
                : QCoreApplication::translate("Conversion", "was not printed"));
        break;
    }
    log += result ? QStringLiteral("Result: converted\n")
                  : QStringLiteral("Result: FAILED: %1\n").arg(result.reason());
    const Status logged = WriteWholeFile(LogPathFor(pdfPath), log.toUtf8());
    return result ? logged : result;
}

} // namespace qf
