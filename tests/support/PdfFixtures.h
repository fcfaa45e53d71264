#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <utility>
#include <vector>

// Real PDFs for tests. Page i of a file made with tag t is 300 + t + i points wide, so a page of
// the book tells where it came from.
inline void MakePdf(const QString &path, int pages, int tag = 0, const char *version = "1.4")
{
    QPDF pdf;
    pdf.emptyPDF();
    for (int i = 0; i < pages; ++i) {
        auto page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 " +
                                    std::to_string(300 + tag + i) + " 400] /Resources << >> >>"));
        page.replaceKey("/Contents", pdf.newStream("0 0 m 10 10 l S"));
        pdf.addPage(page, false);
    }
    const QByteArray target = QFile::encodeName(path);
    QPDFWriter writer(pdf, target.constData()); // keeps the name, not a copy
    writer.setMinimumPDFVersion(version);
    writer.write();
}

inline std::shared_ptr<QPDF> ReadPdf(const QString &path)
{
    auto pdf = std::make_shared<QPDF>();
    pdf->processFile(QFile::encodeName(path).constData());
    return pdf;
}

// The width of each page: which fixture file and page it came from.
inline std::vector<int> PageWidths(QPDF &pdf)
{
    std::vector<int> widths;
    for (QPDFObjectHandle page : pdf.getAllPages())
        widths.push_back(int(page.getKey("/MediaBox").getArrayItem(2).getNumericValue()));
    return widths;
}

// The top-level outline as (title, zero-based page).
inline QList<std::pair<QString, int>> Outline(QPDF &pdf)
{
    QList<std::pair<QString, int>> out;
    QPDFOutlineDocumentHelper outlines(pdf);
    std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    for (auto &item : outlines.getTopLevelOutlines()) {
        const QPDFObjGen target = item.getDestPage().getObjGen();
        int index = -1;
        for (size_t i = 0; i < pages.size(); ++i)
            if (pages[i].getObjGen() == target)
                index = int(i);
        out.append({QString::fromStdString(item.getTitle()), index});
    }
    return out;
}

// Runs the qpdf command; its exit code.
// What a program printed on standard output.
// What program prints; a program that is missing or does not finish fails the test, so a check of
// its output never passes with nothing to check.
inline QString ProgramOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        QTest::qFail(qPrintable(program + " did not run: " + process.errorString()), __FILE__,
                     __LINE__);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline int RunQpdf(const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), arguments);
    if (!qpdf.waitForFinished(60000)) {
        qpdf.kill();
        qpdf.waitForFinished();
        return -1;
    }
    if (output)
        *output = qpdf.readAllStandardOutput() + qpdf.readAllStandardError();
    return qpdf.exitCode();
}

inline void MakeEncryptedPdf(const QString &source, const QString &path)
{
    QCOMPARE(RunQpdf({"--encrypt", "user", "owner", "256", "--", source, path}), 0);
}
