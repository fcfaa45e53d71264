#include "store/Profile.h"
#include "support/TestFolder.h"

using namespace qf;

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void newFileHoldsSectionThenKeysInWritingOrder();
    void writeReplacesInPlaceAndKeepsEveryOtherLine();
    void writeAddsMissingKeyToItsSectionAndMissingSection();
    void read_data();
    void read();
    void readCutsLongValues();
    void nonAsciiRoundTrips();
    void failedWriteLeavesFileAlone();
};

void TestProfile::newFileHoldsSectionThenKeysInWritingOrder()
{
    TestFolder folder;
    const QString ini = folder.file("Quirefold.INI");
    QVERIFY(WriteIniString(ini, "Settings", "SlipSheet", "1"));
    QVERIFY(WriteIniString(ini, "Settings", "OutputName", " My Book.pdf "));
    QCOMPARE(folder.read("Quirefold.INI"),
             QByteArray("[Settings]\r\nSlipSheet=1\r\nOutputName= My Book.pdf \r\n"));
    QVERIFY(WriteIniString(ini, "Settings", "SlipSheet", "0"));
    QCOMPARE(folder.read("Quirefold.INI"),
             QByteArray("[Settings]\r\nSlipSheet=0\r\nOutputName= My Book.pdf \r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Quirefold.INI"});
}

void TestProfile::writeReplacesInPlaceAndKeepsEveryOtherLine()
{
    TestFolder folder;
    folder.write("q.ini", "; my notes\n[Other]\nSlipSheet=7\n\n[settings]\r\n  slipsheet = 1 \r\n"
                          "OutputName=a.pdf\r\n[Tail]\nx=y");
    QVERIFY(WriteIniString(folder.file("q.ini"), "Settings", "SlipSheet", "0"));
    QCOMPARE(folder.read("q.ini"), QByteArray("; my notes\n[Other]\nSlipSheet=7\n\n[settings]\r\n"
                                              "slipsheet=0\r\nOutputName=a.pdf\r\n[Tail]\nx=y"));
}

void TestProfile::writeAddsMissingKeyToItsSectionAndMissingSection()
{
    TestFolder folder;
    folder.write("q.ini", "[Settings]\nSlipSheet=1\n\n[Tail]\nx=y");
    QVERIFY(WriteIniString(folder.file("q.ini"), "SETTINGS", "OutputName", "b.pdf"));
    QVERIFY(WriteIniString(folder.file("q.ini"), "New", "k", "v"));
    QCOMPARE(folder.read("q.ini"), QByteArray("[Settings]\nSlipSheet=1\nOutputName=b.pdf\r\n\n"
                                              "[Tail]\nx=y\r\n[New]\r\nk=v\r\n"));
}

void TestProfile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray file = "[Other]\nOutputName=wrong\n[Settings]\nSlipSheet = 2 \n"
                            "OutputName=\"quoted.pdf\"\nEmpty=\n;Commented=yes\nHalf='x\n";
    QTest::newRow("trimmed") << file << "slipsheet"
                             << "2";
    QTest::newRow("quotes removed") << file << "OutputName"
                                    << "quoted.pdf";
    QTest::newRow("empty value") << file << "Empty"
                                 << "";
    QTest::newRow("comment is no key") << file << "Commented"
                                       << "<default>";
    QTest::newRow("unpaired quote kept") << file << "Half"
                                         << "'x";
    QTest::newRow("missing key") << file << "Nope"
                                 << "<default>";
    QTest::newRow("missing section") << QByteArray("[Else]\nSlipSheet=1\n") << "SlipSheet"
                                     << "<default>";
    QTest::newRow("missing file") << QByteArray() << "SlipSheet"
                                  << "<default>";
}

void TestProfile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestFolder folder;
    if (!content.isEmpty())
        folder.write("Quirefold.INI", content);
    // The file's name is matched ignoring case, as the folder's own files are.
    QCOMPARE(ReadIniString(folder.file("QUIREFOLD.ini"), "Settings", key, "<default>"), expected);
}

void TestProfile::readCutsLongValues()
{
    TestFolder folder;
    const QString ini = folder.file("q.ini");
    const QString longName = QString(1500, QLatin1Char('n'));
    QVERIFY(WriteIniString(ini, "Settings", "OutputName", longName));
    QCOMPARE(ReadIniString(ini, "Settings", "OutputName"), longName.left(1023));
}

void TestProfile::nonAsciiRoundTrips()
{
    TestFolder folder;
    const QString ini = folder.file("q.ini");
    const QString name = QStringLiteral("Bücher – 書.pdf");
    QVERIFY(WriteIniString(ini, "Settings", "OutputName", name));
    QCOMPARE(ReadIniString(ini, "Settings", "OutputName"), name);
    QVERIFY(folder.read("q.ini").contains(name.toUtf8()));
}

void TestProfile::failedWriteLeavesFileAlone()
{
    TestFolder folder;
    folder.mkdir("Quirefold.INI"); // a folder where the file should be: no write can succeed
    const Status status =
        WriteIniString(folder.file("Quirefold.INI"), "Settings", "SlipSheet", "1");
    QVERIFY(!status.ok());
    QCOMPARE(status.file(), folder.file("Quirefold.INI"));
    QVERIFY(!status.reason().isEmpty());
    QVERIFY(!WriteIniString(folder.file("missing/q.ini"), "Settings", "SlipSheet", "1"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
