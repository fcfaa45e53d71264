#include "automation/ObjectStreams.h"
#include "automation/PdfDocument.h"
#include "automation/Viewer.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <qpdf/Pl_String.hh>

using namespace qf;

class TestPdfSuite : public QObject {
    Q_OBJECT
private slots:
    void insertsPagesWhereAsked();
    void sameBlankPageAnyNumberOfTimes();
    void linksKeepPointingAtTheirPages();
    void insertionOutsideTheSourceChangesNothing();
    void unreadablePdfsSayWhy_data();
    void unreadablePdfsSayWhy();
    void saveReplacesWholeOrNothing();
    void viewSharesTheDocumentSoItsBookmarksAreSaved();
    void bookmarksAreFoundRetitledAndRemoved();
    void viewOfUnreadableFileDoesNotOpen();
    void packedObjectsReadAsWritten();
};

void TestPdfSuite::insertsPagesWhereAsked()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 3, 0, "1.7");
    MakePdf(folder.file("b.pdf"), 2, 100);
    PdfSuite suite;
    PDDoc book(suite), source(suite);
    QVERIFY(book.Create());
    QCOMPARE(book.GetNumPages(), 0);
    QVERIFY(source.Open(folder.file("a.pdf")));
    QVERIFY(book.InsertPages(-1, source, 0, 3, false));
    QVERIFY(source.Open(folder.file("b.pdf")));
    QVERIFY(book.InsertPages(0, source, 1, 1, false)); // after the first page
    QVERIFY(book.InsertPages(book.GetNumPages() - 1, source, 0, 2, false));
    source.Close();
    QVERIFY(book.Save(1, folder.file("book.pdf")));

    auto pdf = ReadPdf(folder.file("book.pdf"));
    QCOMPARE(PageWidths(*pdf), std::vector<int>({300, 401, 301, 302, 400, 401}));
    QCOMPARE(pdf->getPDFVersion(), std::string("1.7")); // the newest of its pages
    QCOMPARE(RunQpdf({"--check", folder.file("book.pdf")}), 0);
}

void TestPdfSuite::sameBlankPageAnyNumberOfTimes()
{
    TestFolder folder;
    MakePdf(folder.file("blank.pdf"), 1, 50);
    PdfSuite suite;
    PDDoc book(suite), blank(suite);
    book.Create();
    QVERIFY(blank.Open(folder.file("blank.pdf")));
    for (int i = 0; i < 5; ++i)
        QVERIFY(book.InsertPages(book.GetNumPages() - 1, blank, 0, 1, false));
    QVERIFY(book.Save(1, folder.file("book.pdf")));
    QCOMPARE(PageWidths(*ReadPdf(folder.file("book.pdf"))), std::vector<int>(5, 350));
}

void TestPdfSuite::linksKeepPointingAtTheirPages()
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
    PdfSuite suite;
    PDDoc book(suite), source(suite);
    book.Create();
    for (const char *name : {"first.pdf", "linked.pdf"}) {
        QVERIFY(source.Open(folder.file(name)));
        QVERIFY(book.InsertPages(book.GetNumPages() - 1, source, 0, source.GetNumPages(), false));
    }
    QVERIFY(book.Save(1, folder.file("book.pdf")));
    auto pdf = ReadPdf(folder.file("book.pdf"));
    std::vector<QPDFObjectHandle> pages = pdf->getAllPages();
    QPDFObjectHandle target =
        pages[2].getKey("/Annots").getArrayItem(0).getKey("/Dest").getArrayItem(0);
    QCOMPARE(target.getObjGen(), pages[4].getObjGen());
}

void TestPdfSuite::insertionOutsideTheSourceChangesNothing()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 2);
    PdfSuite suite;
    PDDoc book(suite), source(suite), closed(suite);
    book.Create();
    source.Open(folder.file("a.pdf"));
    QVERIFY(!book.InsertPages(-1, source, 1, 2, false));
    QVERIFY(!book.InsertPages(3, source, 0, 1, false));
    QVERIFY(!book.InsertPages(-1, closed, 0, 1, false));
    QCOMPARE(book.GetNumPages(), 0);
    QCOMPARE(closed.GetNumPages(), -1);
}

void TestPdfSuite::unreadablePdfsSayWhy_data()
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

void TestPdfSuite::unreadablePdfsSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    TestFolder folder;
    MakePdf(folder.file("plain.pdf"), 1);
    MakeEncryptedPdf(folder.file("plain.pdf"), folder.file("encrypted.pdf"));
    folder.write("text.pdf", "Dear reader,\nthis is not a PDF.\n");
    folder.write("empty.pdf");
    folder.mkdir("folder.pdf");
    PdfSuite suite;
    PDDoc doc(suite);
    const Status status = doc.Open(folder.file(name));
    QVERIFY(!status.ok());
    QCOMPARE(status.file(), folder.file(name));
    QVERIFY2(status.reason().startsWith(reason), qPrintable(status.reason()));
    QVERIFY(!doc.IsOpen());
}

void TestPdfSuite::saveReplacesWholeOrNothing()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 2);
    folder.write("old.pdf", "old book");
    folder.mkdir("dir.pdf");
    PdfSuite suite;
    PDDoc book(suite), source(suite);
    book.Create();
    source.Open(folder.file("a.pdf"));
    book.InsertPages(-1, source, 0, 2, false);

    QVERIFY(book.Save(1, folder.file("old.pdf")));
    QCOMPARE(ReadPdf(folder.file("old.pdf"))->getAllPages().size(), size_t(2));
    const Status toFolder = book.Save(1, folder.file("dir.pdf"));
    QVERIFY(!toFolder.ok());
    QVERIFY(toFolder.reason().startsWith(QLatin1String("could not be written")));
    QVERIFY(!book.Save(1, folder.file("missing/book.pdf")));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"a.pdf", "old.pdf"})); // no temporary file left behind
}

void TestPdfSuite::viewSharesTheDocumentSoItsBookmarksAreSaved()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 3);
    const QString bookPath = folder.file("book.pdf");
    PdfSuite suite;
    PDDoc book(suite), source(suite);
    book.Create();
    source.Open(folder.file("a.pdf"));
    book.InsertPages(-1, source, 0, 3, false);
    QVERIFY(book.Save(1, bookPath));

    AVDoc view(suite);
    QVERIFY(view.Open(bookPath, bookPath));
    AcroApp app(suite);
    QVERIFY(view.GetAVPageView().GoTo(2));
    QVERIFY(!view.GetAVPageView().GoTo(3));
    QVERIFY(app.MenuItemExecute("NewBookmark"));
    QVERIFY(!app.MenuItemExecute("Print"));
    // The document's own save, not the viewer's, writes the bookmark.
    QVERIFY(book.Save(1, bookPath));
    auto pdf = ReadPdf(bookPath);
    QCOMPARE(Outline(*pdf), (QList<std::pair<QString, int>>{{"Untitled", 2}}));
}

void TestPdfSuite::bookmarksAreFoundRetitledAndRemoved()
{
    TestFolder folder;
    MakePdf(folder.file("book.pdf"), 4);
    const QString bookPath = folder.file("book.pdf");
    PdfSuite suite;
    AVDoc view(suite);
    QVERIFY(view.Open(bookPath, bookPath));
    const PDDoc doc = view.GetPDDoc();
    AcroApp app(suite);
    auto bookmarkAt = [&](int page, const QString &title) {
        view.GetAVPageView().GoTo(page);
        app.MenuItemExecute("NewBookmark");
        PDBookmark b;
        QVERIFY(b.GetByTitle(doc, "Untitled"));
        QVERIFY(b.SetTitle(title));
    };
    // A document may itself be called "Untitled": the newest bookmark of a title is the one found.
    bookmarkAt(0, "Untitled");
    bookmarkAt(1, "Überblick – 概要");
    bookmarkAt(3, "Last");
    PDBookmark middle;
    QVERIFY(middle.GetByTitle(doc, "Überblick – 概要"));
    QVERIFY(middle.Destroy());
    QVERIFY(!middle.SetTitle("x"));
    PDBookmark none;
    QVERIFY(!none.GetByTitle(doc, "Nope"));
    QVERIFY(app.MenuItemExecute("Save"));

    auto pdf = ReadPdf(bookPath);
    QCOMPARE(Outline(*pdf), (QList<std::pair<QString, int>>{{"Untitled", 0}, {"Last", 3}}));
    QCOMPARE(pdf->getRoot().getKey("/Outlines").getKey("/Count").getIntValueAsInt(), 2);
    QCOMPARE(RunQpdf({"--check", bookPath}), 0);
}

void TestPdfSuite::viewOfUnreadableFileDoesNotOpen()
{
    TestFolder folder;
    folder.write("book.pdf", "%PDF-1.4 nothing else");
    PdfSuite suite;
    AVDoc view(suite);
    QVERIFY(!view.Open(folder.file("book.pdf"), folder.file("book.pdf")));
    QVERIFY(!view.openStatus().ok());
    QVERIFY(!AcroApp(suite).MenuItemExecute("NewBookmark"));
}

namespace {

std::string Written(QPDF &pdf)
{
    std::string bytes;
    Pl_String into("test", nullptr, bytes);
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&into);
    writer.write();
    return bytes;
}

} // namespace

void TestPdfSuite::packedObjectsReadAsWritten()
{
    // Objects whose text looks like the file's own structure, beside a stream and a page.
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 200 200] >>"));
    page.replaceKey("/Contents", pdf.newStream("0 0 m 200 200 l S\nendstream\nendobj\n"));
    page.replaceKey("/Tricky",
                    pdf.makeIndirectObject(QPDFObjectHandle::parse(
                        "[ (\\nendobj\\n1 0 obj) /endstream 7 0.5 null true << /K (>>) >> ]")));
    page.replaceKey("/Name", pdf.makeIndirectObject(QPDFObjectHandle::newName("/endstream")));
    page.replaceKey("/Number", pdf.makeIndirectObject(QPDFObjectHandle::newInteger(42)));
    pdf.addPage(page, false);
    pdf.getTrailer().replaceKey(
        "/Info", pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Title (Packed) >>")));
    const std::string classic = Written(pdf);
    std::string packed;
    QVERIFY(PackObjectStreams(classic, [&](std::string_view piece) { packed += piece; }));
    QVERIFY(packed.find("/Type /ObjStm") != std::string::npos);
    QVERIFY(packed.rfind("%PDF-1.5", 0) == 0); // object streams need 1.5

    QPDF before, after;
    before.processMemoryFile("classic", classic.data(), classic.size());
    after.processMemoryFile("packed", packed.data(), packed.size());
    QVERIFY(!after.anyWarnings());
    QCOMPARE(after.getObjectCount(), before.getObjectCount() + 2); // one object stream, the table
    for (int id = 1; id <= int(before.getObjectCount()); ++id) {
        QPDFObjectHandle was = before.getObjectByID(id, 0), is = after.getObjectByID(id, 0);
        QCOMPARE(is.unparseResolved(), was.unparseResolved());
        if (was.isStream())
            QCOMPARE(is.getRawStreamData()->getSize(), was.getRawStreamData()->getSize());
    }
    for (const char *key : {"/Root", "/Info", "/ID"})
        QCOMPARE(after.getTrailer().getKey(key).unparse(),
                 before.getTrailer().getKey(key).unparse());
    TestFolder folder;
    folder.write("packed.pdf", QByteArray::fromStdString(packed));
    QCOMPARE(RunQpdf({"--check", folder.file("packed.pdf")}), 0);
    // Poppler, unlike qpdf, finds an object by its place in its object stream.
    QProcess info;
    info.start("pdfinfo", {folder.file("packed.pdf")});
    QVERIFY(info.waitForFinished(30000));
    QCOMPARE(info.readAllStandardError(), QByteArray());
    QVERIFY(info.readAllStandardOutput().simplified().startsWith("Title: Packed "));

    // What qpdf did not write as it writes is left as it is.
    for (const std::string &odd :
         {classic.substr(0, classic.size() - 30), std::string("%PDF-1.7\nnot a PDF"),
          classic.substr(0, classic.find("xref")) + "xref\n0 99999999\n" +
              classic.substr(classic.find("trailer"))}) {
        bool written = false;
        QVERIFY(!PackObjectStreams(odd, [&](std::string_view) { written = true; }));
        QVERIFY(!written);
    }
}

QTEST_GUILESS_MAIN(TestPdfSuite)
#include "test_pdf_suite.moc"
