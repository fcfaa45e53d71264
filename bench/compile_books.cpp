// Compiling a folder of PDFs into a book, for timing against qpdf's own merge.
//   compile_books make FOLDER   makes 200 PDFs of 2,000 pages in all in FOLDER
//   compile_books run FOLDER    one compile run over every PDF of FOLDER, blank sheets on
#include "listing/FolderListing.h"
#include "runs/CompileRun.h"
#include "window/MemoryWindow.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <string>

namespace {

constexpr int kFiles = 200;

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

int Make(const QString &folder)
{
    QDir().mkpath(folder);
    int total = 0;
    for (int file = 0; file < kFiles; ++file) {
        int pages = 1 + (file * 7) % 19; // 1 to 19 pages
        if (file == kFiles - 1)
            pages = 2000 - total; // 2,000 in all
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
        writer.write();
        total += pages;
    }
    std::printf("%d PDFs, %d pages in %s\n", kFiles, total, qPrintable(folder));
    return 0;
}

int Run(const QString &folder)
{
    qf::Workspace ws = qf::Workspace::FromArguments({folder});
    qf::MemoryWindow window;
    qf::ListFolderFiles(folder, window.list2, QStringLiteral("*.PDF"));
    for (int i = 0; i < window.list2.ListCount(); ++i)
        window.list2.SetSelected(i, true);
    window.check1.SetValue(1);
    window.text5.SetText(QStringLiteral("Book.pdf"));
    qf::NoSound sound;
    qf::NoBookViewer viewer;
    qf::RunContext ctx{ws, window, sound, viewer,
                       QCoreApplication::applicationDirPath() + QStringLiteral("/..")};
    qf::CompileRun(ctx);
    for (const auto &message : window.messages.shown())
        std::fprintf(stderr, "%s\n", qPrintable(message.text));
    return window.messages.shown().isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("make"))
        return Make(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("run"))
        return Run(args[2]);
    std::fprintf(stderr, "usage: compile_books make|run FOLDER\n");
    return 2;
}
