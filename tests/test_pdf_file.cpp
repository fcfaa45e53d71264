#include "book/NameTree.h"
#include "book/ObjectWriter.h"
#include "book/PdfFile.h"
#include "book/PdfWrite.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

using namespace qf;

class TestPdfFile : public QObject {
    Q_OBJECT
private slots:
    void appendsPagesInOrder();
    void sameBlankPageAnyNumberOfTimes();
    void linksKeepPointingAtTheirPages();
    void unreadablePdfsSayWhy_data();
    void unreadablePdfsSayWhy();
    void lockedPdfsOpenWithTheirPassword_data();
    void lockedPdfsOpenWithTheirPassword();
    void writeReplacesWholeOrNothing();
    void objectsReadBackAsTheyWere_data();
    void objectsReadBackAsTheyWere();
    void nameTreesFindEveryName_data();
    void nameTreesFindEveryName();
};

namespace {

std::shared_ptr<PdfFile> Read(const QString &path)
{
    std::shared_ptr<PdfFile> file;
    const Status read = ReadPdfFile(path, file);
    if (!read)
        qWarning("%s", qPrintable(read.message()));
    return file;
}

} // namespace

void TestPdfFile::appendsPagesInOrder()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 3, 0, "1.7");
    MakePdf(folder.file("b.pdf"), 2, 100);
    std::shared_ptr<PdfFile> book = NewBook(), a = Read(folder.file("a.pdf")),
                             b = Read(folder.file("b.pdf"));
    QCOMPARE(PageCount(*book), 0);
    for (PdfFile *source : {b.get(), a.get(), b.get()})
        QVERIFY(AppendPages(*book, *source));
    QCOMPARE(PageCount(*b), 2); // the source keeps its pages
    RemovePagesFrom(*book, 7);
    QVERIFY(WritePdfAtomically(*book, folder.file("book.pdf")));

    auto pdf = ReadPdf(folder.file("book.pdf"));
    QCOMPARE(PageWidths(*pdf), std::vector<int>({400, 401, 300, 301, 302, 400, 401}));
    QCOMPARE(pdf->getPDFVersion(), std::string("1.7")); // the newest of its pages
    QCOMPARE(RunQpdf({"--check", folder.file("book.pdf")}), 0);
}

void TestPdfFile::sameBlankPageAnyNumberOfTimes()
{
    TestFolder folder;
    MakePdf(folder.file("blank.pdf"), 1, 50);
    std::shared_ptr<PdfFile> book = NewBook(), blank = Read(folder.file("blank.pdf"));
    for (int i = 0; i < 5; ++i)
        QVERIFY(AppendPages(*book, *blank));
    RemovePagesFrom(*book, 4);
    QVERIFY(WritePdfAtomically(*book, folder.file("book.pdf")));
    QCOMPARE(PageWidths(*ReadPdf(folder.file("book.pdf"))), std::vector<int>(4, 350));
}

void TestPdfFile::linksKeepPointingAtTheirPages()
{
    TestFolder folder;
    {
        MakePdf(folder.file("plain.pdf"), 3, 10);
        auto pdf = ReadPdf(folder.file("plain.pdf"));
        std::vector<QPDFObjectHandle> pages = pdf->getAllPages();
        auto link = QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Link /Rect [0 0 9 9] >>");
        auto dest = QPDFObjectHandle::newArray();
        dest.appendItem(pages[2]);
        dest.appendItem(QPDFObjectHandle::newName("/Fit"));
        link.replaceKey("/Dest", dest);
        pages[0].replaceKey("/Annots", QPDFObjectHandle::newArray({pdf->makeIndirectObject(link)}));
        const QByteArray target = QFile::encodeName(folder.file("linked.pdf"));
        QPDFWriter writer(*pdf, target.constData()); // keeps the name, not a copy
        writer.write();
    }
    MakePdf(folder.file("first.pdf"), 2);
    std::shared_ptr<PdfFile> book = NewBook();
    for (const char *name : {"first.pdf", "linked.pdf"})
        QVERIFY(AppendPages(*book, *Read(folder.file(name))));
    QVERIFY(WritePdfAtomically(*book, folder.file("book.pdf")));
    auto pdf = ReadPdf(folder.file("book.pdf"));
    std::vector<QPDFObjectHandle> pages = pdf->getAllPages();
    QPDFObjectHandle target =
        pages[2].getKey("/Annots").getArrayItem(0).getKey("/Dest").getArrayItem(0);
    QCOMPARE(target.getObjGen(), pages[4].getObjGen());
}

void TestPdfFile::unreadablePdfsSayWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("encrypted") << "encrypted.pdf"
                               << "is encrypted with a password";
    QTest::newRow("not a pdf") << "text.pdf"
                               << "is damaged or not a PDF file";
    QTest::newRow("zero bytes") << "empty.pdf"
                                << "is damaged or not a PDF file";
    QTest::newRow("vanished") << "gone.pdf"
                              << "no longer exists";
    QTest::newRow("folder") << "folder.pdf"
                            << "is not a file";
}

void TestPdfFile::unreadablePdfsSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    TestFolder folder;
    MakePdf(folder.file("plain.pdf"), 1);
    MakeEncryptedPdf(folder.file("plain.pdf"), folder.file("encrypted.pdf"));
    folder.write("text.pdf", "Dear reader,\nthis is not a PDF.\n");
    folder.write("empty.pdf");
    folder.mkdir("folder.pdf");
    std::shared_ptr<PdfFile> file;
    const Status status = ReadPdfFile(folder.file(name), file);
    QVERIFY(!status.ok());
    QCOMPARE(status.file(), folder.file(name));
    QVERIFY2(status.reason().startsWith(reason), qPrintable(status.reason()));
    QVERIFY(!file);
}

void TestPdfFile::lockedPdfsOpenWithTheirPassword_data()
{
    QTest::addColumn<bool>("large"); // read from the file rather than from memory
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason"); // empty: it opens
    for (const bool large : {false, true}) {
        const char *size = large ? "large, " : "small, ";
        QTest::addRow("%sright", size) << large << "user" << QString();
        QTest::addRow("%swrong", size) << large << "User"
                                       << "is encrypted, and the password given for it is wrong";
        QTest::addRow("%snone", size) << large << QString() << "is encrypted with a password";
    }
}

void TestPdfFile::lockedPdfsOpenWithTheirPassword()
{
    QFETCH(bool, large);
    QFETCH(QString, password);
    QFETCH(QString, reason);
    TestFolder folder;
    MakePdf(folder.file("plain.pdf"), 2);
    if (large) {
        // An image of noise, which no compression makes smaller than the whole-file limit.
        QPDF pdf;
        pdf.processFile(QFile::encodeName(folder.file("plain.pdf")).constData());
        std::string noise(5 << 20, '\0');
        quint32 state = 1;
        for (char &byte : noise)
            byte = char((state = state * 1664525u + 1013904223u) >> 24);
        QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf, noise);
        image.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Image /Width 1024 "
                                                  "/Height 1706 /ColorSpace /DeviceRGB "
                                                  "/BitsPerComponent 8 >>"));
        QPDFObjectHandle page = pdf.getAllPages().front();
        page.getKey("/Resources")
            .replaceKey("/XObject", QPDFObjectHandle::newDictionary({{"/Im", image}}));
        const QByteArray target = QFile::encodeName(folder.file("noise.pdf"));
        QPDFWriter writer(pdf, target.constData()); // keeps the name, not a copy
        writer.write();
    }
    MakeEncryptedPdf(folder.file(large ? "noise.pdf" : "plain.pdf"), folder.file("locked.pdf"));
    QCOMPARE(QFileInfo(folder.file("locked.pdf")).size() > (4 << 20), large);
    std::shared_ptr<PdfFile> file;
    const Status status = ReadPdfFile(folder.file("locked.pdf"), file, password);
    QCOMPARE(status.reason(), reason);
    QCOMPARE(file ? PageCount(*file) : 0, reason.isEmpty() ? 2 : 0);
}

void TestPdfFile::writeReplacesWholeOrNothing()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 2);
    folder.write("old.pdf", "old book");
    folder.mkdir("dir.pdf");
    std::shared_ptr<PdfFile> book = NewBook();
    QVERIFY(AppendPages(*book, *Read(folder.file("a.pdf"))));

    QVERIFY(WritePdfAtomically(*book, folder.file("old.pdf")));
    QCOMPARE(ReadPdf(folder.file("old.pdf"))->getAllPages().size(), size_t(2));
    const Status toFolder = WritePdfAtomically(*book, folder.file("dir.pdf"));
    QVERIFY(!toFolder.ok());
    QVERIFY(toFolder.reason().startsWith(QLatin1String("could not be written")));
    QVERIFY(!WritePdfAtomically(*book, folder.file("missing/book.pdf")));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"a.pdf", "old.pdf"})); // no temporary file left behind
}

void TestPdfFile::objectsReadBackAsTheyWere_data()
{
    QTest::addColumn<bool>("objectStreams");
    QTest::newRow("cross-reference table") << false;
    QTest::newRow("object streams") << true;
}

void TestPdfFile::objectsReadBackAsTheyWere()
{
    QFETCH(bool, objectStreams);
    // Objects whose text looks like the file's own structure, beside streams and a page.
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 200 200] /Gone null >>"));
    const std::string content = "0 0 m 200 200 l S\nendstream\nendobj\n";
    page.replaceKey("/Contents", pdf.newStream(content));
    QPDFObjectHandle hex = pdf.newStream("414243>");
    hex.getDict().replaceKey("/Filter", QPDFObjectHandle::newName("/ASCIIHexDecode"));
    page.replaceKey("/Hex", hex);
    page.replaceKey("/Tricky", pdf.makeIndirectObject(QPDFObjectHandle::parse(
                                   "[ (\\nendobj\\n1 0 obj) /endstream 7 0.5 null true << /K (>>) "
                                   "/A#20B (\\000\\377) >> ]")));
    page.replaceKey("/Name", pdf.makeIndirectObject(QPDFObjectHandle::newName("/end stream")));
    page.replaceKey("/Number", pdf.makeIndirectObject(QPDFObjectHandle::newInteger(42)));
    for (int i = 0; i < 150; ++i) // more than one object stream holds
        page.replaceKey("/N" + std::to_string(i),
                        pdf.makeIndirectObject(QPDFObjectHandle::newInteger(i)));
    pdf.addPage(page, false);
    pdf.getTrailer().replaceKey(
        "/Info", pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Title (Packed) >>")));
    const auto write = [&] {
        std::string bytes;
        const bool written =
            WriteObjects(pdf, {PDFVersion(1, 4), objectStreams, {}}, [&](std::string_view piece) {
                bytes += piece;
                return true;
            });
        return written ? bytes : std::string();
    };
    const std::string bytes = write();
    QCOMPARE(write(), bytes); // the same bytes, /ID and all
    QVERIFY(bytes.rfind(objectStreams ? "%PDF-1.5" : "%PDF-1.4", 0) == 0);
    QCOMPARE(bytes.find("/Type /ObjStm") != std::string::npos, objectStreams);

    QPDF read;
    read.processMemoryFile("written", bytes.data(), bytes.size());
    QVERIFY(!read.anyWarnings());
    QPDFObjectHandle got = read.getAllPages().at(0);
    for (const char *key : {"/Tricky", "/Name", "/Number", "/MediaBox", "/N149"})
        QCOMPARE(QString::fromStdString(got.getKey(key).unparseResolved()),
                 QString::fromStdString(page.getKey(key).unparseResolved()));
    QVERIFY(!got.hasKey("/Gone"));
    QCOMPARE(got.getKey("/Contents").getStreamData()->getSize(), content.size());
    QCOMPARE(got.getKey("/Hex").getDict().getKey("/Filter").unparse(), "/FlateDecode");
    QCOMPARE(got.getKey("/Hex").getStreamData(qpdf_dl_generalized)->getSize(), size_t(3));
    QCOMPARE(read.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "Packed");

    TestFolder folder;
    folder.write("written.pdf", QByteArray::fromStdString(bytes));
    QCOMPARE(RunQpdf({"--check", folder.file("written.pdf")}), 0);
    QCOMPARE(PeekObjectCount(folder.file("written.pdf")),
             read.getTrailer().getKey("/Size").getIntValue());
    for (const QStringList &reader : {QStringList{"pdfinfo", folder.file("written.pdf")},
                                      QStringList{"mutool", "info", folder.file("written.pdf")}}) {
        QProcess info;
        info.start(reader.first(), reader.mid(1));
        QVERIFY(info.waitForFinished(30000));
        QCOMPARE(info.readAllStandardError(), QByteArray());
        QVERIFY(info.readAllStandardOutput().contains("Packed"));
    }
}

void TestPdfFile::nameTreesFindEveryName_data()
{
    QTest::addColumn<int>("count");
    for (const int count : {1, 64, 65, 1000})
        QTest::addRow("%d names", count) << count;
}

void TestPdfFile::nameTreesFindEveryName()
{
    QFETCH(int, count);
    // Names qpdf keeps as PDFDocEncoding and as UTF-16 alike, in the order it sorts them.
    std::map<std::string, QPDFObjectHandle> entries;
    for (int i = 0; i < count; ++i)
        entries[(i % 3 == 0   ? "Kapitel ä "
                 : i % 3 == 1 ? "章 "
                              : "a.pdf/") +
                std::to_string(i)] = QPDFObjectHandle::newInteger(i);
    QPDF pdf;
    pdf.emptyPDF();
    pdf.getRoot().replaceKey(
        "/Names", QPDFObjectHandle::newDictionary({{"/Dests", MakeNameTree(pdf, entries)}}));
    std::string bytes;
    QVERIFY(WriteObjects(pdf, {PDFVersion(1, 7), false, {}}, [&](std::string_view piece) {
        bytes += piece;
        return true;
    }));
    QPDF read;
    read.processMemoryFile("written", bytes.data(), bytes.size());
    QPDFNameTreeObjectHelper tree(read.getRoot().getKey("/Names").getKey("/Dests"), read);
    for (const auto &[name, value] : entries) {
        QPDFObjectHandle found;
        QVERIFY2(tree.findObject(name, found), name.c_str());
        QCOMPARE(found.getIntValue(), QPDFObjectHandle(value).getIntValue());
    }
    std::vector<std::string> inOrder;
    for (const auto &[name, value] : tree)
        inOrder.push_back(name);
    QVERIFY(
        inOrder.size() == entries.size() &&
        std::equal(inOrder.begin(), inOrder.end(), entries.begin(),
                   [](const std::string &name, const auto &entry) { return name == entry.first; }));
    // Viewers search by the leaves' limits: each gives its first and last name.
    QPDFObjectHandle kids = tree.getObjectHandle().getKey("/Kids");
    for (QPDFObjectHandle kid :
         kids.isArray() ? kids.getArrayAsVector() : std::vector<QPDFObjectHandle>()) {
        QPDFObjectHandle names = kid.getKey("/Names"), limits = kid.getKey("/Limits");
        QCOMPARE(limits.getArrayItem(0).getUTF8Value(), names.getArrayItem(0).getUTF8Value());
        QCOMPARE(limits.getArrayItem(1).getUTF8Value(),
                 names.getArrayItem(names.getArrayNItems() - 2).getUTF8Value());
    }
    QVERIFY(!read.anyWarnings());
}

QTEST_GUILESS_MAIN(TestPdfFile)
#include "test_pdf_file.moc"
