#include "compile/CompileBook.h"
#include "ocr/RecognitionCache.h"
#include "ocr/RecognitionTools.h"
#include "ocr/ScannedPages.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace qf;

namespace {

const QString kScannedWords = QStringLiteral("Quirefold recognises scanned letters");
const QString kOwnWords = QStringLiteral("A page that holds its own words");

// A page of PostScript showing line in large letters, or nothing.
QByteArray PostScriptPage(const QString &line)
{
    QByteArray ps = "%!PS\n<< /PageSize [595 842] >> setpagedevice\n";
    if (!line.isEmpty())
        ps += "/Helvetica findfont 28 scalefont setfont 72 700 moveto (" + line.toLatin1() +
              ") show\n";
    return ps + "showpage\n";
}

void Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    QVERIFY2(process.waitForFinished(60000) && process.exitCode() == 0,
             qPrintable(program + ": " + process.readAllStandardError()));
}

int Count(const QString &text, const QString &words)
{
    return int(text.count(words));
}

struct RecordingObserver : SilentObserver {
    QList<Notice> told;
    QStringList at;
    QString doing;
    QList<int> recognising; // the pages done, as the bar shows them while pages are recognised
    int waits = 0;
    int stopAfterWaits = -1; // the user stops the run once it has waited this often
    void At(const QString &file, int) override { at.append(file); }
    void Doing(const QString &what) override { doing = what; }
    void Progress(int done, int) override
    {
        if (doing.startsWith("Making scanned") &&
            (recognising.isEmpty() || recognising.last() != done))
            recognising.append(done);
    }
    void Tell(const Notice &notice) override { told.append(notice); }
    void Waiting() override { ++waits; }
    bool StopRequested() override { return stopAfterWaits >= 0 && waits >= stopAfterWaits; }
};

// PATH for the test's own while it lives.
class PathFor {
public:
    explicit PathFor(const QByteArray &path) : old_(qgetenv("PATH")) { qputenv("PATH", path); }
    ~PathFor() { qputenv("PATH", old_); }

private:
    QByteArray old_;
};

} // namespace

class TestRecognition : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scannedPagesDrawAnImageAndNoText_data();
    void scannedPagesDrawAnImageAndNoText();
    void languagesAsTesseractNamesThem_data();
    void languagesAsTesseractNamesThem();
    void cacheKeepsTheRecentlyUsedUnderItsLimit_data();
    void cacheKeepsTheRecentlyUsedUnderItsLimit();
    void scannedPagesBecomeSearchableInTheBook();
    void batchStoresTheChoiceAndReportsWhatWasRecognised_data();
    void batchStoresTheChoiceAndReportsWhatWasRecognised();
    void missingToolsAreNamedAndTheBookIsMade_data();
    void missingToolsAreNamedAndTheBookIsMade();
    void stopEndsRecognitionAndWritesNoBook();

private:
    // A folder of the sources, with the cache and a PATH whose ocrmypdf counts its runs.
    struct Scene {
        TestFolder folder;
        TestFolder cache;
        CompileRequest request;
        explicit Scene(const TestFolder &sources, const QStringList &names);
    };
    CompileResult Compile(Scene &scene, RecordingObserver &observer);
    int OcrRuns() const { return int(tools_.read("runs").count('\n')); }

    TestFolder sources_;
    TestFolder tools_;
};

TestRecognition::Scene::Scene(const TestFolder &sources, const QStringList &names)
{
    for (const QString &name : names)
        QVERIFY(QFile::copy(sources.file(name), folder.file(name)));
    request.workingFolder = folder.path();
    request.names = names;
    request.bookName = QStringLiteral("Book.pdf");
    request.programFolder = QStringLiteral(QUIREFOLD_PROGRAM_FOLDER);
    request.recogniseScans = true;
    request.ocrLanguages = QStringLiteral("eng");
    request.ocrCache = cache.path();
}

CompileResult TestRecognition::Compile(Scene &scene, RecordingObserver &observer)
{
    NoBookViewer viewer;
    const PathFor path(tools_.path().toLocal8Bit() + ':' + qgetenv("PATH"));
    return CompileBook(scene.request, observer, viewer);
}

void TestRecognition::initTestCase()
{
    // A text page, a scanned one (an image of words, as a scanner makes), a blank one, and a PDF
    // holding a text page and a scanned one.
    sources_.write("text.ps", PostScriptPage(kOwnWords));
    sources_.write("scan.ps", PostScriptPage(kScannedWords));
    sources_.write("blank.ps", PostScriptPage(QString()));
    for (const char *name : {"text", "blank"})
        Run("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-o",
                   sources_.file(QString("%1.pdf").arg(name)),
                   sources_.file(QString("%1.ps").arg(name))});
    // A scanned blank sheet: an image that holds no words.
    for (const char *name : {"scan", "blank"}) {
        Run("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pnggray", "-r150", "-o",
                   sources_.file(QString("%1.png").arg(name)),
                   sources_.file(QString("%1.ps").arg(name))});
        Run("img2pdf", {sources_.file(QString("%1.png").arg(name)), "-o",
                        sources_.file(QString("%1 sheet.pdf").arg(name))});
    }
    QVERIFY(QFile::rename(sources_.file("scan sheet.pdf"), sources_.file("scan.pdf")));
    Run("qpdf", {"--empty", "--pages", sources_.file("scan.pdf"), sources_.file("blank sheet.pdf"),
                 sources_.file("scan.pdf"), "--", sources_.file("with a blank sheet.pdf")});
    Run("qpdf", {"--empty", "--pages", sources_.file("text.pdf"), sources_.file("scan.pdf"),
                 sources_.file("scan.pdf"), "--", sources_.file("mixed.pdf")});
    // OCRmyPDF itself, each run counted.
    tools_.write("ocrmypdf", "#!/bin/sh\necho run >> '" + tools_.file("runs").toLocal8Bit() +
                                 "'\nexec /usr/bin/ocrmypdf \"$@\"\n");
    QVERIFY(QFile::setPermissions(tools_.file("ocrmypdf"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestRecognition::scannedPagesDrawAnImageAndNoText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::vector<int>>("scanned");
    QTest::newRow("text") << "text.pdf" << std::vector<int>{};
    QTest::newRow("scan") << "scan.pdf" << std::vector<int>{1};
    QTest::newRow("text, then scans") << "mixed.pdf" << std::vector<int>{2, 3};
    QTest::newRow("blank") << "blank.pdf" << std::vector<int>{};
}

void TestRecognition::scannedPagesDrawAnImageAndNoText()
{
    QFETCH(QString, name);
    QFETCH(std::vector<int>, scanned);
    std::vector<int> found;
    int pages = 0;
    QVERIFY(FindScannedPages(sources_.file(name), found, pages).ok());
    QCOMPARE(found, scanned);
}

void TestRecognition::languagesAsTesseractNamesThem_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("languages");
    QTest::addColumn<QStringList>("missing"); // with OCRmyPDF installed
    const QStringList both{"eng", "deu"};
    QTest::newRow("default, German desktop") << "" << both << "de_DE"
                                             << "eng+deu" << QStringList();
    QTest::newRow("default, no German data") << "" << QStringList{"eng"} << "de_DE"
                                             << "eng" << QStringList();
    QTest::newRow("default, English desktop") << "" << both << "en_GB"
                                              << "eng" << QStringList();
    QTest::newRow("chosen, with commas and blanks")
        << "deu, fra" << both << "en_GB"
        << "deu+fra" << QStringList{"tesseract-ocr-fra"};
    QTest::newRow("what no code is, left out") << "chi_sim+$(rm)" << QStringList() << "en_GB"
                                               << "chi_sim" << QStringList{"tesseract-ocr-chi-sim"};
}

void TestRecognition::languagesAsTesseractNamesThem()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, installed);
    QFETCH(QString, desktop);
    QFETCH(QString, languages);
    QFETCH(QStringList, missing);
    QCOMPARE(RecognitionLanguages(chosen, installed, QLocale(desktop)), languages);
    QCOMPARE(MissingPackages({true, installed}, languages), missing);
    QCOMPARE(MissingPackages({false, installed}, languages), QStringList{"ocrmypdf"} + missing);
}

void TestRecognition::cacheKeepsTheRecentlyUsedUnderItsLimit_data()
{
    QTest::addColumn<QList<int>>("daysUnused"); // one 100-byte copy each, a.pdf, b.pdf ...
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QString>("kept");
    QTest::newRow("under the limit") << QList<int>{1, 5, 2} << qint64(300) << "a.pdf b.pdf c.pdf";
    QTest::newRow("over: the least recently used go")
        << QList<int>{1, 5, 2, 3} << qint64(250) << "a.pdf c.pdf";
    QTest::newRow("unused too long") << QList<int>{1, 200} << qint64(1000) << "a.pdf";
}

void TestRecognition::cacheKeepsTheRecentlyUsedUnderItsLimit()
{
    QFETCH(QList<int>, daysUnused);
    QFETCH(qint64, limit);
    QFETCH(QString, kept);
    TestFolder cache;
    const time_t now = 2'000'000'000;
    for (int i = 0; i < daysUnused.size(); ++i) {
        const QString name = QString("%1.pdf").arg(QChar('a' + i));
        cache.write(name, QByteArray(100, 'x'));
        cache.setModified(name, now - daysUnused[i] * 86400);
    }
    RecognitionCache(cache.path()).Prune(limit, 180, QDateTime::fromSecsSinceEpoch(now));
    QCOMPARE(QDir(cache.path()).entryList(QDir::Files, QDir::Name).join(' '), kept);
}

void TestRecognition::scannedPagesBecomeSearchableInTheBook()
{
    Scene scene(sources_, {"mixed.pdf", "scan.pdf", "text.pdf"});
    const int runsBefore = OcrRuns();
    RecordingObserver observer;
    const CompileResult result = Compile(scene, observer);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    QCOMPARE(result.recognised.size(), 2);
    QCOMPARE(result.recognised[0].name, "mixed.pdf");
    QCOMPARE(result.recognised[0].pages, 2);
    QCOMPARE(result.recognised[1].pages, 1);
    QCOMPARE(OcrRuns(), runsBefore + 2);
    QVERIFY(observer.at.contains("Recognising text: mixed.pdf, page 3 of 3"));
    // The bar goes on page by page, also within a document.
    QCOMPARE(observer.recognising, QList<int>({0, 1, 2, 3}));

    // The scanned words are found; a page's own words once, not twice.
    const QString text = ProgramOutput("pdftotext", {result.book, "-"});
    QCOMPARE(Count(text, kScannedWords), 3);
    QCOMPARE(Count(text, kOwnWords), 2);
    // The sources are as they were; the scan looks the same in the book.
    for (const QString &name : scene.request.names)
        QCOMPARE(scene.folder.read(name), sources_.read(name));
    Run("pdftoppm",
        {"-r", "40", "-gray", "-f", "4", "-l", "4", result.book, scene.folder.file("book")});
    Run("pdftoppm", {"-r", "40", "-gray", sources_.file("scan.pdf"), scene.folder.file("scan")});
    QCOMPARE(scene.folder.read("book-4.pgm"), scene.folder.read("scan-1.pgm"));
    std::vector<int> scanned;
    int pages = 0;
    QVERIFY(FindScannedPages(result.book, scanned, pages).ok());
    QCOMPARE(scanned, std::vector<int>{});

    // Compiled again, the copies are taken from the cache: no recognition starts.
    RecordingObserver again;
    QCOMPARE(Compile(scene, again).recognised.size(), 2);
    QCOMPARE(OcrRuns(), runsBefore + 2);
    QCOMPARE(ProgramOutput("pdftotext", {result.book, "-"}), text);
}

void TestRecognition::batchStoresTheChoiceAndReportsWhatWasRecognised_data()
{
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QJsonObject>("entry");
    QTest::addColumn<QString>("said"); // at the end of the run
    QTest::newRow("a scan") << "scan.pdf"
                            << QJsonObject{{"file", "scan.pdf"},
                                           {"pages", 1},
                                           {"pagesWithText", QJsonArray{1}},
                                           {"pagesWithoutText", QJsonArray{}}}
                            << "Scanned pages made searchable: scan.pdf (1 page)";
    QTest::newRow("a blank sheet among scans")
        << "with a blank sheet.pdf"
        << QJsonObject{{"file", "with a blank sheet.pdf"},
                       {"pages", 2},
                       {"pagesWithText", QJsonArray{1, 3}},
                       {"pagesWithoutText", QJsonArray{2}}}
        << "Scanned pages made searchable: with a blank sheet.pdf (2 pages: 1, 3; no text was "
           "found on 1 page: 2)";
    QTest::newRow("a blank sheet alone")
        << "blank sheet.pdf"
        << QJsonObject{{"file", "blank sheet.pdf"},
                       {"pages", 0},
                       {"pagesWithText", QJsonArray{}},
                       {"pagesWithoutText", QJsonArray{1}}}
        << "Scanned pages made searchable: blank sheet.pdf (no text was found on 1 page: 1)";
}

void TestRecognition::batchStoresTheChoiceAndReportsWhatWasRecognised()
{
    QFETCH(QString, pdf);
    QFETCH(QJsonObject, entry);
    QFETCH(QString, said);
    Scene scene(sources_, {pdf});
    QProcess batch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", scene.cache.path());
    env.insert("LANGUAGE", "en");
    batch.setProcessEnvironment(env);
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                {"--compile", "--ocr", "--json", scene.folder.path()});
    QVERIFY(batch.waitForFinished(180000));
    QCOMPARE(batch.exitCode(), 0);
    const QJsonObject report = QJsonDocument::fromJson(batch.readAllStandardOutput()).object();
    QCOMPARE(report["recognised"].toArray(), QJsonArray{entry});
    const QString told = QString::fromUtf8(batch.readAllStandardError());
    QVERIFY2(told.contains(said), qPrintable(told));
    QVERIFY(scene.folder.read("Quirefold.INI").contains("Ocr=1"));
    QCOMPARE(QDir(scene.cache.file("quirefold/ocr")).entryList(QDir::Files).size(), 1);
}

void TestRecognition::missingToolsAreNamedAndTheBookIsMade_data()
{
    QTest::addColumn<bool>("ocrmypdf");
    QTest::addColumn<QString>("languages");
    QTest::addColumn<QString>("install");
    QTest::newRow("no OCRmyPDF") << false << "eng"
                                 << "sudo apt-get install ocrmypdf";
    QTest::newRow("no data for a language") << true << "eng+xqz"
                                            << "sudo apt-get install tesseract-ocr-xqz";
}

void TestRecognition::missingToolsAreNamedAndTheBookIsMade()
{
    QFETCH(bool, ocrmypdf);
    QFETCH(QString, languages);
    QFETCH(QString, install);
    Scene scene(sources_, {"scan.pdf", "text.pdf"});
    scene.request.ocrLanguages = languages;
    // Tesseract alone on the PATH when OCRmyPDF is to be missing.
    TestFolder bin;
    QVERIFY(QFile::link("/usr/bin/tesseract", bin.file("tesseract")));
    const PathFor path(ocrmypdf ? qgetenv("PATH") : bin.path().toLocal8Bit());
    RecordingObserver observer;
    NoBookViewer viewer;
    const CompileResult result = CompileBook(scene.request, observer, viewer);
    QCOMPARE(observer.told.size(), 1);
    QVERIFY2(observer.told[0].text.endsWith(install), qPrintable(observer.told[0].text));
    QVERIFY(result.problems.empty());
    QVERIFY(result.recognised.isEmpty());
    QCOMPARE(ReadPdf(result.book)->getAllPages().size(), size_t(2));
}

void TestRecognition::stopEndsRecognitionAndWritesNoBook()
{
    Scene scene(sources_, {"scan.pdf"});
    RecordingObserver observer;
    observer.stopAfterWaits = 5; // while OCRmyPDF starts
    const CompileResult result = Compile(scene, observer);
    QVERIFY(result.stopped);
    QVERIFY(result.book.isEmpty());
    QVERIFY(!scene.folder.exists("PDFCompile Output/Book.pdf"));
    // Neither a copy nor OCRmyPDF's own temporary files are left.
    QCOMPARE(QDir(scene.cache.path())
                 .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(QProcess::execute("pgrep", {"-f", scene.folder.file("scan.pdf")}), 1);
}

QTEST_GUILESS_MAIN(TestRecognition)
#include "test_recognition.moc"
