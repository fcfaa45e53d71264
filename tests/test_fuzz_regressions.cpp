#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstddef>
#include <cstdint>

// The fuzz targets, each built under its own name instead of LLVMFuzzerTestOneInput.
extern "C" int FuzzProfile(const uint8_t *data, size_t size);
extern "C" int FuzzIgnoreList(const uint8_t *data, size_t size);
extern "C" int FuzzNameMatch(const uint8_t *data, size_t size);
extern "C" int FuzzPdfBook(const uint8_t *data, size_t size);

namespace {

struct Target {
    const char *folder; // its crashers under fuzz/regressions
    int (*entry)(const uint8_t *, size_t);
    QList<QByteArray> hostile;
};

QByteArray SampleBytes(const QString &name)
{
    QFile file(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QList<Target> &Targets()
{
    static const QByteArray map = SampleBytes(QStringLiteral("Map.pdf"));
    static const QList<Target> targets = {
        {"fuzz_profile",
         FuzzProfile,
         {"[Settings]\r\nSlipSheet=" + QByteArray(3000, 'a'), "[\r\n]\r\n=\r\n;=\r\n[[]]=x\r",
          "[Settings", "SlipSheet=1", "\xEF\xBB\xBF[Settings]\nSlipSheet=\"1\"",
          "[settings]\r\n[SETTINGS]\r\nslipsheet=1\r\n[Settings]\r\nSlipSheet=2"}},
        {"fuzz_ignore_list",
         FuzzIgnoreList,
         {"a.doc\r\n\r\nA.DOC\r", "a.doc\n\nb.doc\r\n\r", QByteArray("x\0y\r\nx", 6)}},
        {"fuzz_name_match",
         FuzzNameMatch,
         {QByteArray("\0[", 2), QByteArray("\0[!]\0x", 6), QByteArray("\0[z-a]\0b", 8),
          QByteArray(1, '\0') + QByteArray(120, '*') + QByteArray(1, '\0') + QByteArray(120, 'a'),
          QByteArray("\x01[\0]\0\0\0*\0?\0", 11), QByteArray("\x01\x00\xD8\x00\x00\x00\xDC", 7)}},
        {"fuzz_pdf_book",
         FuzzPdfBook,
         {"%PDF-1.4\n", "%PDF-1.4\ntrailer<</Root 1 0 R>>",
          "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
          "2 0 obj<</Type/Pages/Kids[2 0 R]/Count 1>>endobj\ntrailer<</Root 1 0 R>>",
          map, map.left(map.size() / 2)}},
    };
    return targets;
}

// Inputs every target must take: nothing, bytes that are no text, endless lines.
const QList<QByteArray> kCommon = {QByteArray(),
                                   QByteArray(1, '\0'),
                                   QByteArray(4096, '\n'),
                                   "\r\r\n\n\r",
                                   "\xff\xfe\xc3\x28\xed\xa0\x80",
                                   QByteArray(5000, '[') + "=" + QByteArray(5000, ']')};

} // namespace

class TestFuzzRegressions : public QObject {
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestFuzzRegressions::replay_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QByteArray>("input");
    const QDir regressions(QStringLiteral(QUIREFOLD_FUZZ_REGRESSIONS));
    for (int t = 0; t < Targets().size(); ++t) {
        const Target &target = Targets().at(t);
        QList<QByteArray> inputs = kCommon + target.hostile;
        for (int i = 0; i < inputs.size(); ++i)
            QTest::addRow("%s hostile %d", target.folder, i) << t << inputs.at(i);
        const QDir kept(regressions.filePath(QString::fromLatin1(target.folder)));
        for (const QString &name : kept.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile file(kept.filePath(name));
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            QTest::addRow("%s %s", target.folder, qPrintable(name)) << t << file.readAll();
        }
    }
}

void TestFuzzRegressions::replay()
{
    QFETCH(int, target);
    QFETCH(QByteArray, input);
    // A broken invariant aborts inside the target, naming it.
    QCOMPARE(Targets().at(target).entry(reinterpret_cast<const uint8_t *>(input.constData()),
                                        size_t(input.size())),
             0);
}

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "test_fuzz_regressions.moc"
