#include "book/Outline.h"
#include "book/PdfWrite.h"
#include "convert/ConvertDocs.h"
#include "convert/PrintFileConverter.h"
#include "listing/FolderListing.h"
#include "runs/ConversionRun.h"
#include "runs/FolderLists.h"
#include "store/WholeFile.h"
#include "support/MemoryWindow.h"
#include "support/PdfFixtures.h"
#include "support/RunToEnd.h"
#include "support/TestFolder.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <mutex>

using namespace qf;

namespace {

// The converter's log beside a PDF.
QByteArray ReadLog(const QString &pdfPath)
{
    QFile log(LogPathFor(pdfPath));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

// A word processor that prints every document as a real PDF of two pages, records what it was
// asked, and fails where told to.
struct FakeWordProcessor : WordProcessor {
    static inline std::mutex logged; // instances may run at once
    QStringList *calls;
    QMap<QString, int> slowPrint;    // document file name -> milliseconds its print takes
    QMap<QString, QString> failOpen; // document file name -> reason
    QStringList hangPrint;           // document file names whose print ends only when aborted
    std::atomic<bool> aborted{false};
    QString open;

    explicit FakeWordProcessor(QStringList *log) : calls(log) {}
    struct Locked {
        QStringList &list;
        std::lock_guard<std::mutex> lock{logged};
        Locked &operator<<(const QString &call)
        {
            list << call;
            return *this;
        }
    };
    Locked Log() { return Locked{*calls}; }
    Status OpenReadOnly(const QString &path) override
    {
        const QString name = QFileInfo(path).fileName();
        Log() << QStringLiteral("open ") + name;
        if (failOpen.contains(name))
            return Status::Failed(path, failOpen.value(name));
        open = path;
        return Status::Ok();
    }
    Status ExportPdf(const QString &path, const PdfExport &) override
    {
        Log() << QStringLiteral("export ") + QFileInfo(path).fileName();
        QThread::msleep(slowPrint.value(QFileInfo(open).fileName()));
        for (int waited = 0; hangPrint.contains(QFileInfo(open).fileName()) && waited < 60000;
             waited += 5) {
            if (aborted)
                return Status::Failed(open, StoppedReason());
            QThread::msleep(5);
        }
        MakePdf(path, 2);
        return Status::Ok();
    }
    Status Close() override
    {
        Log() << QStringLiteral("close");
        open.clear();
        return Status::Ok();
    }
    Status Quit() override
    {
        Log() << QStringLiteral("quit");
        return Status::Ok();
    }
    void Abort() override
    {
        Log() << QStringLiteral("abort");
        aborted = true;
    }
};

struct SilentSound : CompletionSound {
    int played = 0;
    void Play(std::function<void()> ended) override
    {
        ++played;
        ended();
    }
};

// The conversion run, from its start to its end.
void ConversionRun(const RunContext &ctx, const WordProcessorStarter &wordProcessor)
{
    RunToEnd([&](std::function<void()> ended) {
        qf::ConversionRun(ctx, wordProcessor, std::move(ended));
    });
}

struct ConvertFixture {
    TestFolder folder;
    Workspace ws;
    MemoryWindow window;
    SilentSound sound;
    NoBookViewer viewer;
    RunContext ctx{ws, window, sound, viewer, QString()};
    QStringList calls;
    QMap<QString, QString> failOpen;
    QMap<QString, int> slowPrint;
    QStringList hangPrint;
    std::atomic<int> started{0};
    int instances = 1;

    explicit ConvertFixture(const QStringList &documents, const QString &subfolder = QString())
        : ws(Workspace::FromArguments(
              {subfolder.isEmpty() ? folder.path() : folder.file(subfolder)}))
    {
        if (!subfolder.isEmpty())
            folder.mkdir(subfolder);
        for (const QString &name : documents) {
            QFile doc(ws.PathOf(name));
            QVERIFY(doc.open(QIODevice::WriteOnly));
            doc.write("a document");
            window.documentList.AddItem(name);
        }
        for (int i = 0; i < window.documentList.Count(); ++i)
            window.documentList.SetTicked(i, true);
    }
    WordProcessorStarter factory()
    {
        return {[] { return Status::Ok(); },
                [this](Status &) -> std::unique_ptr<WordProcessor> {
                    ++started;
                    auto word = std::make_unique<FakeWordProcessor>(&calls);
                    word->failOpen = failOpen;
                    word->slowPrint = slowPrint;
                    word->hangPrint = hangPrint;
                    return word;
                },
                instances};
    }
    QStringList files() const
    {
        return QDir(ws.WorkingFolder)
            .entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    }
};

} // namespace

class TestConvert : public QObject {
    Q_OBJECT
private slots:
    void convertsTickedDocumentsInListOrder();
    void replacesThePdfOfAnyLetterCase();
    void pathWithACommaIsSkippedWithAWarning();
    void failedDocumentsAreNamedAndTheRunGoesOn();
    void severalInstancesGiveWhatOneGives();
    void missingWordProcessorTouchesNothing();
    void printFileToPdf();
    void postScriptToPdf();
    void badPrintFilesFailAndLeaveALog_data();
    void badPrintFilesFailAndLeaveALog();
    void removalDeletesPdfsWithAMatchingDocument();
    void otherKindsOfDocumentNeverShareAPdf();
    void aStoppedRunEndsTheWordProcessorAtWork();
};

void TestConvert::convertsTickedDocumentsInListOrder()
{
    ConvertFixture f({"b.DOC", "A.doc", "c.doc"});
    f.window.documentList.SetTicked(2, false); // c.doc
    f.folder.write("old.pdf");
    f.folder.write("QFPDFIgnore.INI", "old.pdf\r\n");
    f.window.pdfList.AddItem("old.pdf");
    ConversionRun(f.ctx, f.factory());

    QVERIFY2(f.window.messages.shown().isEmpty(),
             qPrintable(f.window.messages.shown().value(0).text));
    QCOMPARE(f.calls, QStringList({"open A.doc", "export A.PS", "close", "open b.DOC",
                                   "export b.PS", "close", "quit"}));
    QCOMPARE(f.files(), QStringList({"A.doc", "A.PDF", "b.DOC", "b.PDF", "c.doc", "old.pdf",
                                     "QFDOCIgnore.INI", "QFPDFIgnore.INI", "Quirefold.INI"}));
    QCOMPARE(ReadPdf(f.folder.file("A.PDF"))->getAllPages().size(), size_t(2));
    QCOMPARE(QDir(f.ws.WorkingFolder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList()); // the print files' scratch folder is gone
    QCOMPARE(f.folder.read("QFDOCIgnore.INI"), QByteArray("c.doc\r\n"));
    // New PDFs come up ticked; the one the user had unticked stays so.
    QCOMPARE(f.window.pdfList.texts(), QStringList({"A.PDF", "b.PDF", "old.pdf"}));
    QCOMPARE(f.window.pdfList.tickedTexts(), QStringList({"A.PDF", "b.PDF"}));
    QCOMPARE(f.window.pdfCount.Text(), QStringLiteral("3 PDF file(s) found in folder."));
    QCOMPARE(f.window.statusLine.history().mid(0, 4),
             QStringList({"Collecting information for file:", "Creating PDF File...",
                          "Printing to Postscript File...", "Converting Postscript to PDF..."}));
    QVERIFY(f.window.statusLine.Text().startsWith(QLatin1String("Start Time: \t")));
    QCOMPARE(f.window.documentList.Current(), 2);
    QCOMPARE(f.window.conversionBar.Value(), 3);
    QCOMPARE(f.window.conversionBar.BarColor(), kBarRed);
    QCOMPARE(f.sound.played, 1);
}

void TestConvert::replacesThePdfOfAnyLetterCase()
{
    ConvertFixture f({"Report.doc"});
    MakePdf(f.folder.file("report.pdf"), 5);
    ConversionRun(f.ctx, f.factory());
    QCOMPARE(f.files().filter(QStringLiteral(".pdf"), Qt::CaseInsensitive),
             QStringList({"report.pdf"}));
    QCOMPARE(ReadPdf(f.folder.file("report.pdf"))->getAllPages().size(), size_t(2));
    QCOMPARE(ConversionFilesFor("/d/Notes.docx").pdf, QStringLiteral("/d/Notes.PDF"));
    QCOMPARE(ConversionFilesFor("/d.x/Notes").pdf, QStringLiteral("/d.x/Notes.PDF"));
}

void TestConvert::pathWithACommaIsSkippedWithAWarning()
{
    ConvertFixture f({"a.doc", "b.doc"}, "Smith, John");
    ConversionRun(f.ctx, f.factory());
    QCOMPARE(f.window.messages.shown().size(), 2);
    const auto &warning = f.window.messages.shown().first();
    QCOMPARE(warning.text, QStringLiteral("The filename ") + f.ws.PathOf("a.doc") +
                               " is invalid!\n\nPlease be sure that the filename does not contain "
                               "COMMAS.\n\nTHIS FILE WILL BE SKIPPED.");
    QCOMPARE(warning.caption, QStringLiteral("*** Warning ***"));
    QVERIFY(warning.icon == MessageBox::Icon::Critical);
    QVERIFY(f.calls.filter(QStringLiteral("open")).isEmpty());
    QCOMPARE(f.window.conversionBar.Value(), 0); // skipped entries do not advance the bar
}

void TestConvert::failedDocumentsAreNamedAndTheRunGoesOn()
{
    ConvertFixture f({"a.doc", "b.doc", "c.doc", "d.doc"});
    f.failOpen.insert("a.doc", "is protected by a password");
    f.failOpen.insert("c.doc", "is damaged");
    // Files of the print and log files' plain names are the user's, and stay untouched.
    f.folder.write("d.PS", "the user's own file");
    f.folder.write("d.LOG", "the user's own log");
    ConversionRun(f.ctx, f.factory());

    QCOMPARE(f.files().filter(QStringLiteral(".PDF")), QStringList({"b.PDF", "d.PDF"}));
    QCOMPARE(f.folder.read("d.PS"), QByteArray("the user's own file"));
    QCOMPARE(f.folder.read("d.LOG"), QByteArray("the user's own log"));
    QCOMPARE(f.window.messages.shown().size(), 1);
    const QString message = f.window.messages.shown().first().text;
    QVERIFY(message.startsWith(QLatin1String("Not every document was converted")));
    for (const QString &expected : {f.ws.PathOf("a.doc") + ": is protected by a password",
                                    f.ws.PathOf("c.doc") + ": is damaged"})
        QVERIFY2(message.contains(expected), qPrintable(message));
    QCOMPARE(f.calls.count(QStringLiteral("quit")), 1);
    QCOMPARE(f.started.load(), 1);
}

void TestConvert::severalInstancesGiveWhatOneGives()
{
    // The first document takes longest and the last two share a PDF, so instances finish out of
    // list order and one must wait for another.
    ConvertFixture f({"a.doc", "b.doc", "c, d.doc", "e.doc", "f.doc", "g.doc", "G.DOC"});
    f.failOpen.insert("e.doc", "is damaged");
    f.slowPrint.insert("a.doc", 300);
    f.slowPrint.insert("g.doc", 100);
    const auto run = [&f](int instances) {
        f.instances = instances;
        f.started = 0;
        SilentObserver observer;
        ConversionRequest request{f.ws.WorkingFolder, {}, QString(), instances, {}};
        for (const QString &name : f.window.documentList.texts())
            request.entries.append({name, name != "f.doc"});
        return ConvertDocuments(request, f.factory(), observer);
    };
    const ConversionResult one = run(1);
    const QStringList files = f.files();
    const ConversionResult three = run(3);
    QCOMPARE(f.started.load(), 3);
    QCOMPARE(f.files(), files);
    QCOMPARE(files.filter(QStringLiteral(".PDF"), Qt::CaseInsensitive).size(), 3);
    QCOMPARE(three.problems.report("-"), one.problems.report("-"));
    QCOMPARE(three.problems.list().size(), 1);
    QCOMPARE(three.notices.size(), 1);
    QCOMPARE(three.notices.first().text, one.notices.first().text);
    const auto documents = [](const ConversionResult &result) {
        QStringList list;
        for (const ConvertedDocument &doc : result.converted)
            list << QFileInfo(doc.document).fileName() + " " + QFileInfo(doc.pdf).fileName();
        return list;
    };
    QCOMPARE(documents(three), documents(one));
    QCOMPARE(documents(three).size(), 4); // both of the pair, the later replacing the earlier
    QCOMPARE(documents(three).mid(2).join(' ').count(QStringLiteral("G.PDF"), Qt::CaseInsensitive),
             2);
}

void TestConvert::missingWordProcessorTouchesNothing()
{
    ConvertFixture f({"a.doc"});
    const QStringList before = f.files();
    const WordProcessorStarter missing{
        [] {
            return Status::Failed(QString(), "LibreOffice (soffice) was not found: install it with "
                                             "apt-get install libreoffice-writer-nogui");
        },
        [](Status &) -> std::unique_ptr<WordProcessor> { return nullptr; }};
    ConversionRun(f.ctx, missing);
    QCOMPARE(f.window.messages.shown().size(), 1);
    QVERIFY(f.window.messages.shown().first().text.contains(
        "apt-get install libreoffice-writer-nogui"));
    QCOMPARE(f.files(), before); // not even the settings: nothing could be done
    QCOMPARE(f.window.conversionBar.BarColor(), kBarRed);

    // Installed but failing to start: the folder's choices are stored first all the same.
    const WordProcessorStarter failing{[] { return Status::Ok(); },
                                       [](Status &status) -> std::unique_ptr<WordProcessor> {
                                           status = Status::Failed(
                                               QString(), "LibreOffice did not answer within 60 s");
                                           return nullptr;
                                       }};
    ConversionRun(f.ctx, failing);
    QVERIFY(f.window.messages.shown().last().text.contains("did not answer"));
    QVERIFY(f.folder.exists("Quirefold.INI") && f.folder.exists("QFDOCIgnore.INI"));
    QVERIFY(!f.folder.exists("a.PDF"));
}

void TestConvert::printFileToPdf()
{
    TestFolder folder;
    MakePdf(folder.file("Report.PS"), 3, 0, "1.6");
    {
        // A heading bookmark the word processor made must survive.
        PdfFile file;
        file.pdf.processFile(QFile::encodeName(folder.file("Report.PS")).constData());
        file.version = file.pdf.getVersionAsPDFVersion();
        AddOutlineItem(file.pdf, "Heading", 1);
        QVERIFY(WritePdfAtomically(file, folder.file("Report.PS")));
    }
    QVERIFY(FileToPDF(folder.file("Report.PS"), folder.file("Report.PDF"), QString()));
    auto pdf = ReadPdf(folder.file("Report.PDF"));
    QCOMPARE(PageWidths(*pdf), std::vector<int>({300, 301, 302}));
    QCOMPARE(pdf->getPDFVersion(), std::string("1.6"));
    QCOMPARE(Outline(*pdf), (QList<std::pair<QString, int>>{{"Heading", 1}}));
    QVERIFY(ReadLog(folder.file("Report.PDF")).contains("Result: converted"));
}

void TestConvert::postScriptToPdf()
{
    TestFolder folder;
    MakePdf(folder.file("source.pdf"), 4);
    QProcess gs;
    gs.start("gs", {"-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=ps2write",
                    "-sOutputFile=" + folder.file("Report.PS"), folder.file("source.pdf")});
    QVERIFY(gs.waitForFinished(60000) && gs.exitCode() == 0);
    QVERIFY(FileToPDF(folder.file("Report.PS"), folder.file("50%d off.PDF"), QString()));
    QCOMPARE(ReadPdf(folder.file("50%d off.PDF"))->getAllPages().size(), size_t(4));
    QVERIFY(ReadLog(folder.file("50%d off.PDF")).contains("Ghostscript"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 4); // no leftovers

    // Cut off after its first page, the same file must not pass as a whole conversion.
    const QByteArray whole = folder.read("Report.PS");
    folder.write("Cut.PS", whole.left(whole.indexOf("%%Page: 2")));
    const Status cut = FileToPDF(folder.file("Cut.PS"), folder.file("Cut.PDF"), QString());
    QVERIFY2(!cut.ok() && cut.reason().contains("cut off"), qPrintable(cut.message()));
    QVERIFY(!folder.exists("Cut.PDF"));
}

void TestConvert::badPrintFilesFailAndLeaveALog_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("garbage") << QByteArray("hello") << "is neither PDF nor PostScript";
    QTest::newRow("broken pdf") << QByteArray("%PDF-1.4\n1 0 obj <<") << "is damaged or not a PDF";
    QTest::newRow("not printed") << QByteArray() << "was not printed";
}

void TestConvert::badPrintFilesFailAndLeaveALog()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TestFolder folder;
    if (!content.isEmpty())
        folder.write("x.PS", content);
    const Status status = FileToPDF(folder.file("x.PS"), folder.file("x.PDF"), QString());
    QVERIFY2(!status.ok() && status.reason().startsWith(reason), qPrintable(status.message()));
    QVERIFY(!folder.exists("x.PDF"));
    QVERIFY(ReadLog(folder.file("x.PDF")).contains("Result: FAILED: " + reason.toUtf8()));
}

void TestConvert::removalDeletesPdfsWithAMatchingDocument()
{
    TestFolder folder, data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path())); // a trash of the test's own
    folder.touch({"Report.doc", "Report.pdf", "notes.DOC", "NOTES.pdf", "Other.docx", "Other.PDF",
                  "Alone.pdf", "Gone.doc", "Gone.pdf", "Stuck.doc", "Stuck.pdf"});
    const Workspace ws = Workspace::FromArguments({folder.path()});
    MemoryWindow window;
    RefillList(folder.path(), window.pdfList, window.pdfCount, FileKind::Pdf);
    window.pdfList.SetTicked(0, true);
    window.pdfList.SetCurrent(1);
    QFile::remove(folder.file("Gone.pdf")); // gone since it was listed
    QFile::remove(folder.file("Stuck.pdf"));
    folder.mkdir("Stuck.pdf");
    folder.write("Stuck.pdf/inside");

    const Problems problems = RemovalRun(ws, window);
    QCOMPARE(window.pdfList.texts(), QStringList({"Alone.pdf", "Other.PDF"}));
    QCOMPARE(window.pdfList.tickedTexts(), QStringList({"Alone.pdf"})); // as they were
    QCOMPARE(window.pdfList.Current(), -1);
    QCOMPARE(window.pdfCount.Text(), QStringLiteral("2 PDF file(s) found in folder."));
    QVERIFY(folder.exists("Report.doc") && folder.exists("notes.DOC"));
    QCOMPARE(problems.list().size(), 2);
    QCOMPARE(problems.list().at(0).file(), folder.file("Gone.pdf"));
    QCOMPARE(problems.list().at(1).file(), folder.file("Stuck.pdf"));
    QVERIFY(folder.exists("Stuck.pdf/inside"));
    QVERIFY(data.exists("Trash/files/Report.pdf") && data.exists("Trash/files/NOTES.pdf"));

    // With .docx documents chosen too, Other.docx counts as Other.PDF's document.
    window.Choices().documentTypes = {"DOC", "DOCX"};
    RemovalRun(ws, window);
    QCOMPARE(window.pdfList.texts(), QStringList({"Alone.pdf"}));
    qunsetenv("XDG_DATA_HOME");
}

void TestConvert::otherKindsOfDocumentNeverShareAPdf()
{
    ConvertFixture f({"Report.doc", "Report.docx", "Notes.odt"});
    SilentObserver observer;
    ConversionRequest request{f.ws.WorkingFolder, {}, QString(), 2, {}};
    for (const QString &name : f.window.documentList.texts())
        request.entries.append({name, true});
    const ConversionResult result = ConvertDocuments(request, f.factory(), observer);
    // The first in list order makes the PDF; the other is named and left alone.
    QCOMPARE(f.files().filter(QStringLiteral(".PDF")), QStringList({"Notes.PDF", "Report.PDF"}));
    QCOMPARE(result.converted.size(), 2);
    QCOMPARE(result.problems.list().size(), 1);
    QCOMPARE(result.problems.list().first().message(),
             f.ws.PathOf("Report.docx") + ": was not converted: its PDF would be the one of " +
                 f.ws.PathOf("Report.doc"));
}

void TestConvert::aStoppedRunEndsTheWordProcessorAtWork()
{
    ConvertFixture f({"a.doc", "b.doc", "c.doc"});
    f.folder.write("a.PDF", "an earlier PDF");
    f.hangPrint = {"a.doc"};
    // The user stops the run while a.doc prints, which would take a minute.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        std::lock_guard<std::mutex> lock(FakeWordProcessor::logged);
        f.window.stopRequested = f.calls.contains("export a.PS");
    });
    user.start(5);
    ConversionRun(f.ctx, f.factory());

    QVERIFY(f.calls.contains("abort"));
    QVERIFY(!f.calls.contains("open b.doc"));
    QCOMPARE(f.window.messages.shown().size(), 1);
    QCOMPARE(f.window.messages.shown().first().text,
             QStringLiteral("The run was stopped: 0 of the ticked documents were converted; the "
                            "others were left as they were."));
    QCOMPARE(f.folder.read("a.PDF"), QByteArray("an earlier PDF"));
    QVERIFY(!f.folder.exists("b.PDF") && !f.folder.exists("c.PDF"));
}

QTEST_GUILESS_MAIN(TestConvert)
#include "test_convert.moc"
