// A folder of PDFs to compile, for the benchmarks.
//   compile_books make FOLDER [FILES]   makes FILES PDFs (200) of 1 to 19 pages, ten times as many
//                                       pages in all, in FOLDER
//   compile_books office FOLDER         turns such a folder into an office's: of every ten PDFs,
//                                       one has a form field (the same name in each), one a
//                                       hidden layer, one a tag tree, one a named destination
//                                       with a link to it by name; one in twenty links into the
//                                       next file

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
        // As wide as the last one's number, so the names sort as their numbers do.
        const int digits = std::max(3, int(QString::number(files - 1).size()));
        const QString path = QStringLiteral("%1/Document %2.pdf")
                                 .arg(folder)
                                 .arg(file, digits, 10, QLatin1Char('0'));
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

// What an office's PDFs hold beside their text, one kind on each.
void AddForm(QPDF &pdf, QPDFObjectHandle page)
{
    auto field = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /V (Jane Doe) /Rect [72 40 300 60] "
        "/DA (/Helv 10 Tf 0 g) /F 4 >>"));
    field.replaceKey("/P", page);
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({field}));
    auto form = QPDFObjectHandle::parse(
        "<< /DA (/Helv 0 Tf 0 g) /DR << /Font << /Helv << /Type /Font /Subtype /Type1 "
        "/BaseFont /Helvetica >> >> >> >>");
    form.replaceKey("/Fields", QPDFObjectHandle::newArray({field}));
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(form));
}

void AddHiddenLayer(QPDF &pdf, QPDFObjectHandle page)
{
    auto layer =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /OCG /Name (Draft notes) >>"));
    auto properties = QPDFObjectHandle::parse("<< /OCGs [] /D << /Order [] /OFF [] >> >>");
    properties.getKey("/OCGs").appendItem(layer);
    properties.getKey("/D").getKey("/Order").appendItem(layer);
    properties.getKey("/D").getKey("/OFF").appendItem(layer);
    pdf.getRoot().replaceKey("/OCProperties", properties);
    page.getKey("/Resources").replaceKey("/Properties", QPDFObjectHandle::parse("<< >>"));
    page.getKey("/Resources").getKey("/Properties").replaceKey("/L1", layer);
    page.addPageContents(
        pdf.newStream("/OC /L1 BDC BT /F1 11 Tf 72 20 Td (Draft: not for filing) Tj ET EMC\n"),
        false);
}

void AddTags(QPDF &pdf, QPDFObjectHandle page)
{
    page.addPageContents(pdf.newStream("/P << /MCID 0 >> BDC BT /F1 11 Tf 72 50 Td (Tagged "
                                       "paragraph) Tj ET EMC\n"),
                         false);
    page.replaceKey("/StructParents", QPDFObjectHandle::newInteger(0));
    auto root = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /StructTreeRoot >>"));
    auto document =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /StructElem /S /Document >>"));
    auto paragraph =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /StructElem /S /P /K 0 >>"));
    paragraph.replaceKey("/P", document);
    paragraph.replaceKey("/Pg", page);
    document.replaceKey("/P", root);
    document.replaceKey("/K", QPDFObjectHandle::newArray({paragraph}));
    root.replaceKey("/K", document);
    auto parents = QPDFObjectHandle::parse("<< /Nums [0 []] >>");
    parents.getKey("/Nums").getArrayItem(1).appendItem(paragraph);
    root.replaceKey("/ParentTree", pdf.makeIndirectObject(parents));
    root.replaceKey("/ParentTreeNextKey", QPDFObjectHandle::newInteger(1));
    pdf.getRoot().replaceKey("/StructTreeRoot", root);
    pdf.getRoot().replaceKey("/MarkInfo", QPDFObjectHandle::parse("<< /Marked true >>"));
}

void AddNamedDestination(QPDF &pdf, QPDFObjectHandle first, QPDFObjectHandle last)
{
    auto place = QPDFObjectHandle::newArray({last, QPDFObjectHandle::newName("/Fit")});
    auto names = QPDFObjectHandle::parse("<< /Names [(summary)] >>");
    names.getKey("/Names").appendItem(place);
    pdf.getRoot().replaceKey("/Names", QPDFObjectHandle::parse("<< >>"));
    pdf.getRoot().getKey("/Names").replaceKey("/Dests", pdf.makeIndirectObject(names));
    first.replaceKey("/Annots",
                     QPDFObjectHandle::parse("[ << /Type /Annot /Subtype /Link /Rect [72 700 300 "
                                             "720] /Border [0 0 0] /Dest (summary) >> ]"));
}

void AddLinkToFile(QPDFObjectHandle page, const QString &next)
{
    auto link = QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Link /Rect [72 680 300 700] "
                                        "/Border [0 0 0] /A << /S /GoToR /D [0 /Fit] >> >>");
    link.getKey("/A").replaceKey("/F", QPDFObjectHandle::newUnicodeString(next.toStdString()));
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray()) {
        page.replaceKey("/Annots", QPDFObjectHandle::newArray());
        annotations = page.getKey("/Annots");
    }
    annotations.appendItem(link);
}

int Office(const QString &folder)
{
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    for (int i = 0; i < files.size(); ++i) {
        const QString path = folder + QLatin1Char('/') + files.at(i);
        QPDF pdf;
        pdf.processFile(QFile::encodeName(path).constData());
        const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
        QPDFObjectHandle first = pages.front();
        switch (i % 10) {
        case 0:
            AddForm(pdf, first);
            break;
        case 1:
            AddHiddenLayer(pdf, first);
            break;
        case 2:
            AddTags(pdf, first);
            break;
        case 3:
            AddNamedDestination(pdf, first, pages.back());
            break;
        default:
            break;
        }
        if (i % 20 == 5 && i + 1 < files.size())
            AddLinkToFile(first, files.at(i + 1));
        const QString written = path + QStringLiteral(".new");
        const QByteArray target = QFile::encodeName(written);
        QPDFWriter writer(pdf, target.constData());
        writer.setCompressStreams(true);
        writer.write();
        QFile::remove(path);
        QFile::rename(written, path);
    }
    std::printf("%lld PDFs made an office's in %s\n", static_cast<long long>(files.size()),
                qPrintable(folder));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if ((args.size() == 3 || args.size() == 4) && args[1] == QLatin1String("make"))
        return Make(args[2], args.size() == 4 ? args[3].toInt() : 200);
    if (args.size() == 3 && args[1] == QLatin1String("office"))
        return Office(args[2]);
    std::fprintf(stderr, "usage: compile_books make FOLDER [FILES] | office FOLDER\n");
    return 2;
}
