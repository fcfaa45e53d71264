// A folder of PDFs to compile, for the benchmarks.
//   compile_books make FOLDER [FILES]   makes FILES PDFs (200) of 1 to 19 pages, ten times as many
//                                       pages in all, in FOLDER

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// A page with a few lines of text, like a printed document's.
QPDFObjectHandle TextPage(QPDF &pdf, QPDFObjectHandle font, int file, int page)
{
    std::string content = "BT /F1 11 Tf 72 770 Td 14 TL\n";
    for (int line = 0; line < 40; ++line)
        content += "(Document " + std::to_string(file) + ", page " + std::to_string(page) +
                   ", line " + std::to_string(line) + ": the quick brown fox jumps.) '\n";
    content += "ET\n";
    auto pageObject = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
    auto resources = QPDFObjectHandle::parse("<< /Font << >> >>");
    resources.getKey("/Font").replaceKey("/F1", font);
    pageObject.replaceKey("/Resources", resources);
    pageObject.replaceKey("/Contents", pdf.newStream(content));
    return pageObject;
}

int Make(const QString &folder, int files)
{
    QDir().mkpath(folder);
    int total = 0;
    for (int file = 0; file < files; ++file) {
        int pages = 1 + (file * 7) % 19; // 1 to 19 pages
        if (file == files - 1)
            pages = std::max(1, 10 * files - total);
        QPDF pdf;
        pdf.emptyPDF();
        auto font = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
        for (int page = 0; page < pages; ++page)
            pdf.addPage(TextPage(pdf, font, file, page), false);
        const QString path =
            QStringLiteral("%1/Document %2.pdf").arg(folder).arg(file, 3, 10, QLatin1Char('0'));
        const QByteArray target = QFile::encodeName(path);
        QPDFWriter writer(pdf, target.constData()); // keeps the name, not a copy
        writer.setCompressStreams(true);
        writer.setMinimumPDFVersion("1.7"); // as writers make them today: the book is compact
        writer.write();
        total += pages;
    }
    std::printf("%d PDFs, %d pages in %s\n", files, total, qPrintable(folder));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if ((args.size() == 3 || args.size() == 4) && args[1] == QLatin1String("make"))
        return Make(args[2], args.size() == 4 ? args[3].toInt() : 200);
    std::fprintf(stderr, "usage: compile_books make FOLDER [FILES]\n");
    return 2;
}
