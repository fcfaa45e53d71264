#include "jobs/Requests.h"
#include "runs/FolderState.h"
#include "runs/StartUp.h"
#include "store/FolderChoices.h"
#include "store/FolderSelection.h"
#include "store/IgnoreList.h"
#include "support/MemoryWindow.h"
#include "support/TestFolder.h"

using namespace qf;

namespace {

void Fill(MemoryTickList &list, const QStringList &names, const QStringList &unticked = {})
{
    for (const QString &name : names)
        list.AddItem(name);
    for (int i = 0; i < list.Count(); ++i)
        list.SetTicked(i, !unticked.contains(list.Name(i)));
}

Workspace InFolder(const TestFolder &folder)
{
    return Workspace::FromArguments({folder.path()});
}

} // namespace

class TestFolderChoices : public QObject {
    Q_OBJECT
private slots:
    void savesUntickedNamesInListOrder();
    void loadMatchesWholeNamesExactly();
    void loadOfUnreadableFileTicksEverything();
    void saveThenLoadReproducesTicks();
    void ignoreListStepCreatesOnlyMissingFiles();
    void settingsStep_data();
    void settingsStep();
    void runStoresSettingsThenBothLists();
    void failedSavesNameTheirFilesAndTryBoth();
    void nothingIsStoredWithoutAFolder();
    void ownPdfOrderComesFirst_data();
    void ownPdfOrderComesFirst();
};

void TestFolderChoices::savesUntickedNamesInListOrder()
{
    TestFolder folder;
    MemoryTickList list;
    Fill(list, {"c.pdf", "a.pdf", "b.pdf"}, {"b.pdf", "c.pdf"});
    QVERIFY(SaveIgnoreList(folder.file("QFPDFIgnore.INI"), list).empty());
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("b.pdf\r\nc.pdf\r\n"));

    Fill(list, {}, {}); // tick all
    QVERIFY(SaveIgnoreList(folder.file("QFPDFIgnore.INI"), list).empty());
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray());
}

void TestFolderChoices::loadMatchesWholeNamesExactly()
{
    TestFolder folder;
    folder.write("ignore", "report.doc\r\nNotes.doc \r\nOld.doc\rDraft.doc\nTwice.doc\r\n"
                           "Gone.doc\r\nLast.doc");
    MemoryTickList list;
    Fill(list, {"Report.doc", "Notes.doc", "Old.doc", "Draft.doc", "Twice.doc", "Last.doc"},
         {"Report.doc", "Notes.doc"});
    list.AddItem(QStringLiteral("Twice.doc")); // the same name twice: both are unticked
    QVERIFY(LoadIgnoreList(folder.file("ignore"), list));
    QCOMPARE(list.tickedTexts(), QStringList({"Notes.doc", "Report.doc"}));
}

void TestFolderChoices::loadOfUnreadableFileTicksEverything()
{
    TestFolder folder;
    MemoryTickList list;
    Fill(list, {"a.doc", "b.doc"}, {"a.doc", "b.doc"});
    const Status status = LoadIgnoreList(folder.file("missing.ini"), list);
    QVERIFY(!status.ok());
    QCOMPARE(status.file(), folder.file("missing.ini"));
    QCOMPARE(list.tickedTexts(), QStringList({"a.doc", "b.doc"}));
}

void TestFolderChoices::saveThenLoadReproducesTicks()
{
    TestFolder folder;
    MemoryTickList list;
    const QStringList names = {"ä b.pdf", "x.pdf", "Y.pdf", " lead.pdf", "z z.pdf"};
    Fill(list, names, {"ä b.pdf", " lead.pdf", "z z.pdf"});
    const QStringList ticked = list.tickedTexts();
    QVERIFY(SaveIgnoreList(folder.file("i"), list).empty());
    Fill(list, {}, names); // untick all
    QVERIFY(LoadIgnoreList(folder.file("i"), list));
    QCOMPARE(list.tickedTexts(), ticked);

    // A first name that begins with a byte order mark is not taken for an editor's mark.
    const QStringList marked = {QString(QChar(0xFEFF)) + "a.pdf", "b.pdf"};
    MemoryTickList bom;
    Fill(bom, marked, {marked.first()});
    QVERIFY(SaveIgnoreList(folder.file("i"), bom).empty());
    Fill(bom, {}, marked);
    QVERIFY(LoadIgnoreList(folder.file("i"), bom));
    QCOMPARE(bom.tickedTexts(), QStringList({"b.pdf"}));
}

void TestFolderChoices::ignoreListStepCreatesOnlyMissingFiles()
{
    TestFolder folder;
    folder.write("QFPDFIgnore.INI", "b.pdf\r\n");
    const Workspace ws = InFolder(folder);
    MemoryWindow window;
    Fill(window.documentList, {"a.doc"}, {"a.doc"});
    Fill(window.pdfList, {"a.pdf", "b.pdf"});
    QVERIFY(ApplyIgnoreListStep(ws, window).empty());
    QCOMPARE(folder.read("QFDOCIgnore.INI"), QByteArray());
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("b.pdf\r\n"));
    QCOMPARE(window.documentList.tickedTexts(), QStringList({"a.doc"}));
    QCOMPARE(window.pdfList.tickedTexts(), QStringList({"a.pdf"}));
}

void TestFolderChoices::settingsStep_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("check");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("said");      // the status line at start-up
    QTest::addColumn<QStringList>("files"); // beside the settings
    QTest::newRow("no file: defaults") << QByteArray() << 1 << "CompiledPDFDocument.pdf"
                                       << "" << QStringList();
    QTest::newRow("ticked") << QByteArray("[Settings]\r\nSlipSheet=1\r\nOutputName=b.pdf\r\n") << 1
                            << "b.pdf"
                            << "" << QStringList();
    QTest::newRow("grayed") << QByteArray("[Settings]\nSlipSheet=2\n") << 2 << ""
                            << "" << QStringList();
    QTest::newRow("no keys") << QByteArray("[Settings]\n") << 0 << ""
                             << "" << QStringList();
    QTest::newRow("a word") << QByteArray("[Settings]\nSlipSheet=yes\nOutputName=x\n") << 0 << "x"
                            << "" << QStringList();
    QTest::newRow("out of range") << QByteArray("[Settings]\nSlipSheet=5\n") << 0 << ""
                                  << "" << QStringList();
    QTest::newRow("book choices")
        << QByteArray("[Settings]\nSlipSheet=1\nIndexPage=1\nPageNumbers=Page {n} of {total}\n"
                      "DocumentTypes=DOC DOCX\nCompactBook=1\n")
        << 1 << ""
        << "This folder's book: index in front, pages numbered 'Page {n} of {total}', made of "
           ".DOC, .DOCX documents"
        << QStringList();
    // What the defaults do that a user may not expect is said with the way to change it.
    QTest::newRow("numbers by their value")
        << QByteArray() << 1 << "CompiledPDFDocument.pdf"
        << "Exhibit 10.pdf comes before Exhibit 2.pdf; right-click the list for Natural order"
        << QStringList{"Exhibit 10.pdf", "Exhibit 2.pdf"};
    QTest::newRow("punctuation the orders weigh otherwise")
        << QByteArray() << 1 << "CompiledPDFDocument.pdf"
        << "" << QStringList{"latex-dev_trace.pdf", "latex_abspos.pdf"};
    QTest::newRow("natural order chosen")
        << QByteArray("[Settings]\nListOrder=natural\n") << 0 << ""
        << "This folder's book: in natural order" << QStringList{"Exhibit 10.pdf", "Exhibit 2.pdf"};
    QTest::newRow("kinds not listed")
        << QByteArray() << 1 << "CompiledPDFDocument.pdf"
        << "1 .DOCX document is not listed; right-click the documents list to list it"
        << QStringList{"Brief.docx", "Brief.doc"};
}

void TestFolderChoices::settingsStep()
{
    QFETCH(QByteArray, content);
    QFETCH(int, check);
    QFETCH(QString, name);
    QFETCH(QString, said);
    QFETCH(QStringList, files);
    TestFolder folder;
    if (!content.isEmpty())
        folder.write("Quirefold.INI", content);
    folder.touch(files);
    MemoryWindow window;
    Workspace ws = InFolder(folder);
    StartUp(
        ws, window, [] {}, MissingIgnoreLists::Leave);
    QCOMPARE(SlipSheetValue(window.blankSheetOption.State()), check);
    QCOMPARE(window.bookName.Text(), name);
    QCOMPARE(window.statusLine.Text(), said);
    QStringList kept = files;
    if (!content.isEmpty())
        kept.append("Quirefold.INI");
    kept.sort();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), kept); // writes nothing
}

void TestFolderChoices::runStoresSettingsThenBothLists()
{
    TestFolder folder;
    Workspace ws = InFolder(folder);
    ws.SettingsPath.clear(); // a run sets it again itself
    MemoryWindow window;
    window.blankSheetOption.SetState(Qt::Checked);
    window.bookName.SetText(QStringLiteral("Handbook.pdf"));
    Fill(window.documentList, {"a.doc", "b.doc"}, {"b.doc"});
    Fill(window.pdfList, {"a.pdf"});
    QVERIFY(StoreSettingsAndIgnoreLists(ws, window).empty());
    QCOMPARE(ws.SettingsPath, folder.file("Quirefold.INI"));
    QCOMPARE(folder.read("Quirefold.INI"),
             QByteArray("[Settings]\r\nSlipSheet=1\r\nOutputName=Handbook.pdf\r\n"));
    QCOMPARE(folder.read("QFDOCIgnore.INI"), QByteArray("b.doc\r\n"));
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray());

    // A book choice is written once it is turned on, kept up to date after, and read back.
    for (const bool fit : {true, false}) {
        window.choices.fitBlankSheets = fit;
        QVERIFY(StoreSettingsAndIgnoreLists(ws, window).empty());
        QCOMPARE(folder.read("Quirefold.INI"),
                 QByteArray("[Settings]\r\nSlipSheet=1\r\nOutputName=Handbook.pdf\r\n"
                            "FitBlankSheet=") +
                     (fit ? "1" : "0") + "\r\n");
        MemoryWindow started;
        ApplySettingsStep(ws, started);
        QCOMPARE(started.choices.fitBlankSheets, fit);
    }
    window.choices.documentTypes = {"RTF", "DOC"};
    QVERIFY(StoreSettingsAndIgnoreLists(ws, window).empty());
    QVERIFY(folder.read("Quirefold.INI").endsWith("FitBlankSheet=0\r\nDocumentTypes=DOC RTF\r\n"));
    MemoryWindow started;
    ApplySettingsStep(ws, started);
    QCOMPARE(started.choices.documentTypes, QStringList({"DOC", "RTF"}));
    QVERIFY(started.choices.compactBook && started.choices.taggedPdf);
    // Choices that are on by default are written once they are turned off.
    window.choices.compactBook = false;
    window.choices.taggedPdf = false;
    QVERIFY(StoreSettingsAndIgnoreLists(ws, window).empty());
    QVERIFY(folder.read("Quirefold.INI").endsWith("DOC RTF\r\nCompactBook=0\r\nTaggedPdf=0\r\n"));
    ApplySettingsStep(ws, started);
    QVERIFY(!started.choices.compactBook && !started.choices.taggedPdf);
    QVERIFY(!ConversionRequestFor(ws, SelectionOf(started)).how.tagged);
    // The bundle's choices, texts among them, the same way; back at their defaults they are
    // written as such, and read back as no choice.
    window.choices.indexPage = true;
    window.choices.pageNumbers = QStringLiteral("Page {n} of {total}");
    window.choices.bookmarkTitles = kBookmarkTitlesOwnTitle;
    QVERIFY(StoreSettingsAndIgnoreLists(ws, window).empty());
    QVERIFY(folder.read("Quirefold.INI")
                .endsWith("TaggedPdf=0\r\nIndexPage=1\r\nPageNumbers=Page {n} of {total}\r\n"
                          "BookmarkTitles=title\r\n"));
    ApplySettingsStep(ws, started);
    QVERIFY(started.choices.indexPage);
    QCOMPARE(started.choices.pageNumbers, window.choices.pageNumbers);
    QCOMPARE(started.choices.bookmarkTitles, kBookmarkTitlesOwnTitle);
    window.choices = BookChoices();
    QVERIFY(StoreSettingsAndIgnoreLists(ws, window).empty());
    ApplySettingsStep(ws, started);
    QVERIFY(!started.choices.indexPage && started.choices.pageNumbers.isEmpty() &&
            started.choices.bookmarkTitles.isEmpty());
}

void TestFolderChoices::failedSavesNameTheirFilesAndTryBoth()
{
    TestFolder folder;
    folder.mkdir("QFDOCIgnore.INI");
    folder.mkdir("Quirefold.INI");
    Workspace ws = InFolder(folder);
    MemoryWindow window;
    Fill(window.pdfList, {"a.pdf"}, {"a.pdf"});
    const Problems problems = StoreSettingsAndIgnoreLists(ws, window);
    QCOMPARE(problems.list().size(), 2);
    QCOMPARE(problems.list().at(0).file(), folder.file("Quirefold.INI"));
    QCOMPARE(problems.list().at(1).file(), folder.file("QFDOCIgnore.INI"));
    const QString report = problems.report(QStringLiteral("heading"));
    QVERIFY(report.startsWith(QLatin1String("heading\n\n")));
    QVERIFY(
        report.contains(folder.file("QFDOCIgnore.INI") + QLatin1String(": could not be written")));
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("a.pdf\r\n"));
}

void TestFolderChoices::nothingIsStoredWithoutAFolder()
{
    // An empty folder would make every path one in the root folder.
    Workspace ws = Workspace::FromArguments({});
    QCOMPARE(ws.SettingsPath, QStringLiteral("/Quirefold.INI"));
    MemoryWindow window;
    Fill(window.documentList, {"a.doc"}, {"a.doc"});
    QCOMPARE(StoreSettingsAndIgnoreLists(ws, window).list().size(), 1);
    QCOMPARE(SaveIgnoreLists(ws, window).list().size(), 1);
    ApplyIgnoreListStep(ws, window);
    for (const char *name : {"/Quirefold.INI", "/QFDOCIgnore.INI", "/QFPDFIgnore.INI"})
        QVERIFY2(!QFileInfo::exists(QLatin1String(name)), name);
}

void TestFolderChoices::ownPdfOrderComesFirst_data()
{
    QTest::addColumn<QByteArray>("order"); // QFPDFOrder.INI; null: none
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("none") << QByteArray() << QStringList{"a.pdf", "b.pdf", "c.pdf", "d.pdf"}
                          << false;
    // Named ones first, in the file's order; a gone one passed over; new ones after, sorted.
    QTest::newRow("gone and new") << QByteArray("c.pdf\r\ngone.pdf\r\na.pdf\r\n")
                                  << QStringList{"c.pdf", "a.pdf", "b.pdf", "d.pdf"} << false;
    QTest::newRow("damaged") << QByteArray("c.pdf\r\n\0\0\r\n", 11)
                             << QStringList{"a.pdf", "b.pdf", "c.pdf", "d.pdf"} << true;
}

void TestFolderChoices::ownPdfOrderComesFirst()
{
    QFETCH(QByteArray, order);
    QFETCH(QStringList, expected);
    QFETCH(bool, damaged);
    TestFolder folder;
    folder.touch({"d.pdf", "b.pdf", "a.pdf", "c.pdf"});
    if (!order.isNull())
        folder.write("QFPDFOrder.INI", order);
    FolderSelection selection;
    LoadFolderSelection(InFolder(folder), MissingIgnoreLists::Leave, selection);
    QCOMPARE(selection.pdfs.names, expected);
    QCOMPARE(!selection.ownPdfOrderRead.ok(), damaged);
    if (damaged)
        QCOMPARE(selection.ownPdfOrderRead.file(), folder.file("QFPDFOrder.INI"));
}

QTEST_GUILESS_MAIN(TestFolderChoices)
#include "test_folder_choices.moc"
