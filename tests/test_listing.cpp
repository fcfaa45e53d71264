#include "listing/FolderListing.h"
#include "listing/ListOrder.h"
#include "listing/Wildcard.h"
#include "runs/FolderLists.h"
#include "store/FolderSelection.h"
#include "support/MemoryWindow.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

using namespace qf;

class TestListing : public QObject {
    Q_OBJECT
private slots:
    void wildcard_data();
    void wildcard();
    void listsMatchingFilesInTheirOwnCase();
    void keepsTheListOrderWhateverTheAddingOrder_data();
    void keepsTheListOrderWhateverTheAddingOrder();
    void listingTwiceListsEveryNameTwice();
    void missingFolderLeavesListAndFails();
    void fileExistsAnswers();
    void resolvesNamesIgnoringCase();
};

void TestListing::wildcard_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");
    QTest::newRow("upper-cased doc") << "REPORT.DOC"
                                     << "*.DOC" << true;
    QTest::newRow("dot doc alone") << ".DOC"
                                   << "*.DOC" << true;
    QTest::newRow("docx") << "REPORT.DOCX"
                          << "*.DOC" << false;
    QTest::newRow("doc.bak") << "REPORT.DOC.BAK"
                             << "*.DOC" << false;
    QTest::newRow("no dot") << "REPORTDOC"
                            << "*.DOC" << false;
    QTest::newRow("case counts") << "report.doc"
                                 << "*.DOC" << false;
    QTest::newRow("star backtracks") << "A.DOC.DOC"
                                     << "*.DOC" << true;
    QTest::newRow("question mark") << "AB"
                                   << "A?" << true;
    QTest::newRow("digit") << "A7"
                           << "A#" << true;
    QTest::newRow("not a digit") << "AX"
                                 << "A#" << false;
    QTest::newRow("range") << "C"
                           << "[A-D]" << true;
    QTest::newRow("negated list") << "C"
                                  << "[!ABC]" << false;
    QTest::newRow("empty pattern") << "A"
                                   << "" << false;
}

void TestListing::wildcard()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QCOMPARE(WildcardMatch(text, pattern), match);
}

void TestListing::listsMatchingFilesInTheirOwnCase()
{
    TestFolder folder;
    folder.touch({"a.doc", "B.DOC", "c.Doc", "x.pdf.doc", "report.docx", ".doc", "Ünïcode.doc",
                  "y.PDF", "QFDOCIgnore.INI"});
    folder.mkdir("folder.DOC");
    QVERIFY(QFile::link(folder.file("a.doc"), folder.file("link.doc")));
    QVERIFY(QFile::link(folder.file("gone"), folder.file("dangling.doc")));
    {
        // A name that is no valid text here: written with the raw byte.
        const QByteArray raw = QFile::encodeName(folder.path()) + "/caf\xe9.doc";
        FILE *f = std::fopen(raw.constData(), "w");
        QVERIFY(f);
        std::fclose(f);
    }

    MemoryTickList docs, pdfs;
    MemoryTextBox count;
    const Status listed = RefillList(folder.path(), docs, count, FileKind::Doc);
    QVERIFY(!listed.ok()); // the badly named file is named, the others listed
    QVERIFY2(listed.reason().contains(QLatin1String("not valid text")),
             qPrintable(listed.reason()));
    QCOMPARE(docs.texts(), QStringList({".doc", "a.doc", "B.DOC", "c.Doc", "link.doc", "x.pdf.doc",
                                        "Ünïcode.doc"}));
    QVERIFY(docs.tickedTexts().isEmpty());
    QCOMPARE(count.Text(), QStringLiteral("7 DOC file(s) found in folder."));

    QVERIFY(RefillList(folder.path(), pdfs, count, FileKind::Pdf));
    QCOMPARE(pdfs.texts(), QStringList({"y.PDF"}));
    QCOMPARE(count.Text(), QStringLiteral("1 PDF file(s) found in folder."));
}

void TestListing::keepsTheListOrderWhateverTheAddingOrder_data()
{
    QTest::addColumn<bool>("natural");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("alphabetical, ignoring case")
        << false << QStringList{"_x.pdf", "A.pdf", "a.pdf", "b.pdf", "B10.pdf", "b2.pdf", "c.PDF"};
    QTest::newRow("alphabetical: 10 before 2") << false << QStringList{"Doc 1", "Doc 10", "Doc 2"};
    QTest::newRow("natural, ignoring case")
        << true << QStringList{"Doc 1", "Doc 2", "doc 3", "Doc 10"};
    QTest::newRow("natural versions") << true << QStringList{"v1.2", "v1.9", "v1.10", "v2.0"};
    // Equal values fall back to the alphabetical order: 01 before 1.
    QTest::newRow("natural, leading zeros")
        << true << QStringList{"Exhibit 01", "Exhibit 1", "Exhibit 002", "Exhibit 10"};
    QTest::newRow("natural, letters after numbers") << true << QStringList{"2a", "2b", "10", "10a"};
}

void TestListing::keepsTheListOrderWhateverTheAddingOrder()
{
    QFETCH(bool, natural);
    QFETCH(QStringList, expected);
    const ListOrder order = natural ? ListOrder::Natural : ListOrder::Alphabetical;
    QStringList names = expected;
    for (int round = 0; round < 20; ++round) {
        std::shuffle(names.begin(), names.end(), *QRandomGenerator::global());
        MemoryTickList list;
        list.SetOrder(order);
        for (const QString &name : names)
            list.AddItem(name);
        QCOMPARE(list.texts(), expected);
        QStringList sorted = names;
        SortNames(sorted, order);
        QCOMPARE(sorted, expected);
    }
    // A list put in the other order and back: each name keeps its tick.
    FolderSelection selection;
    selection.pdfs.names = names;
    for (const QString &name : names)
        selection.pdfs.ticked.append(name.size() % 2 == 0);
    selection.settings.choices.naturalOrder = !natural;
    SortLists(selection);
    selection.settings.choices.naturalOrder = natural;
    SortLists(selection);
    QCOMPARE(selection.pdfs.names, expected);
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(selection.pdfs.ticked.at(i), expected.at(i).size() % 2 == 0);
}

void TestListing::listingTwiceListsEveryNameTwice()
{
    TestFolder folder;
    folder.touch({"a.doc", "b.doc"});
    MemoryTickList list;
    MemoryTextBox count;
    RefillList(folder.path(), list, count, FileKind::Doc);
    RefillList(folder.path(), list, count, FileKind::Doc, /*clearFirst=*/false);
    QCOMPARE(list.texts(), QStringList({"a.doc", "a.doc", "b.doc", "b.doc"}));
    QCOMPARE(count.Text(), QStringLiteral("4 DOC file(s) found in folder."));
}

void TestListing::missingFolderLeavesListAndFails()
{
    TestFolder folder;
    MemoryTickList list;
    list.AddItem(QStringLiteral("kept.doc"));
    const QString missing = folder.file("missing");
    const Status status = ListFolderFiles(missing, list, QStringList{"*.DOC"});
    QVERIFY(!status.ok());
    QCOMPARE(status.file(), missing);
    QVERIFY2(status.reason().contains(QLatin1String("No such file")), qPrintable(status.reason()));
    QCOMPARE(list.texts(), QStringList({"kept.doc"}));

    MemoryTextBox count;
    for (const QString &bad : {QString(), QStringLiteral("\"%1\"").arg(folder.path())}) {
        MemoryTickList empty;
        QVERIFY(!RefillList(bad, empty, count, FileKind::Pdf));
        QCOMPARE(count.Text(), QStringLiteral("0 PDF file(s) found in folder."));
    }
}

void TestListing::fileExistsAnswers()
{
    TestFolder folder;
    folder.touch({"Quirefold.INI", ".hidden.ini", "readonly.ini"});
    folder.mkdir("folder.ini");
    QFile::setPermissions(folder.file("readonly.ini"), QFileDevice::ReadOwner);

    QVERIFY(FileExists(folder.file("Quirefold.INI")));
    QVERIFY(FileExists(folder.file("QUIREFOLD.ini"))); // last component ignores case
    QVERIFY(FileExists(folder.file("readonly.ini")));
    QVERIFY(!FileExists(folder.file(".hidden.ini")));
    QVERIFY(!FileExists(folder.file("folder.ini")));
    QVERIFY(!FileExists(folder.file("missing.ini")));
    QVERIFY(!FileExists(folder.file("missing/Quirefold.INI")));
    QVERIFY(!FileExists(folder.path() + QStringLiteral("/")));
    QVERIFY(!FileExists(QString()));
}

void TestListing::resolvesNamesIgnoringCase()
{
    TestFolder folder;
    folder.touch({"report.pdf", "Both.pdf", "BOTH.PDF"});
    QCOMPARE(ResolveIgnoringCase(folder.file("Report.PDF")), folder.file("report.pdf"));
    QCOMPARE(ResolveIgnoringCase(folder.file("BOTH.PDF")), folder.file("BOTH.PDF")); // exact wins
    QCOMPARE(ResolveIgnoringCase(folder.file("new.pdf")), folder.file("new.pdf"));
}

QTEST_GUILESS_MAIN(TestListing)
#include "test_listing.moc"
