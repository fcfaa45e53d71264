#include "runs/CompileRun.h"
#include "support/MemoryWindow.h"
#include "support/PdfFixtures.h"
#include "support/RunToEnd.h"
#include "support/TestFolder.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

using namespace qf;

namespace {

struct Result {
    int exitCode = -1;
    QString out, err;
};

Result Batch(const QStringList &arguments)
{
    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH), arguments);
    Result r;
    if (!batch.waitForFinished(180000)) {
        batch.kill();
        batch.waitForFinished();
        return r;
    }
    r.exitCode = batch.exitStatus() == QProcess::NormalExit ? batch.exitCode() : -1;
    r.out = QString::fromUtf8(batch.readAllStandardOutput());
    r.err = QString::fromUtf8(batch.readAllStandardError());
    return r;
}

// Every file under folder with its size and modification time: what "changes nothing" keeps.
QStringList Snapshot(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out << QStringLiteral("%1 %2 %3")
                   .arg(it.filePath())
                   .arg(it.fileInfo().size())
                   .arg(it.fileInfo().lastModified().toMSecsSinceEpoch());
    }
    out.sort();
    return out;
}

void CopySampleDocuments(const TestFolder &folder)
{
    QDir sample(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER));
    for (const QString &name : sample.entryList({"*.doc", "*.DOC"}, QDir::Files))
        QVERIFY(QFile::copy(sample.filePath(name), folder.file(name)));
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();
    void planChangesNothing();
    void changedOnlyLeavesUpToDateDocumentsAlone();
    void desktopFilesKeepUpWithTheProgram();
    void compileMakesTheBookTheWindowMakes();
    void failuresExitWithOne();
    void refusedValuesAreNeverStored();
    void jsonReportSaysWhatWasDone();
    void passwordFileOpensLockedPdfs_data();
    void passwordFileOpensLockedPdfs();
    void documentsWithoutAnUpToDatePdfAreNamed();
    void repairThatLosesNothingIsANote();
    void bookNameWithoutExtensionIsWarnedOf();
    void bundleTurnedOffGivesThePlainBook();
    void naturalOrderIsStoredAndOrdersTheBook();
    void hintsNameTheOptionsThatChangeThem_data();
    void hintsNameTheOptionsThatChangeThem();
    void watchMakesABookForEachChangeUntilTerminated();
    void unusableIgnoreListStopsBeforeAnyJob();
    void removeRunsBeforeCompile();
    void progressIsABarOnATerminal();
    void convertsRealDocuments();
    void startsAndSaysWhatToInstallWithoutLibreOffice();
    void stoppedFromOutsideLeavesNoOfficeBehind();
    void officeLeftBehindByAKilledRunDoesNotDisturbTheNext();
};

void TestBatch::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("says");
    QTest::newRow("no folder") << QStringList{"--plan"} << "exactly one FOLDER";
    QTest::newRow("no job") << QStringList{"/tmp"} << "nothing to do";
    QTest::newRow("plan and job") << QStringList{"--plan", "--compile", "/tmp"} << "--plan";
    QTest::newRow("both blank options")
        << QStringList{"--plan", "--blank-sheets", "--no-blank-sheets", "/tmp"} << "not both";
    QTest::newRow("both fit options")
        << QStringList{"--plan", "--fit-blank-sheets", "--no-fit-blank-sheets", "/tmp"}
        << "not both";
    QTest::newRow("unknown option") << QStringList{"--frobnicate", "/tmp"} << "frobnicate";
    // Watching, each change would reconvert or delete everything.
    QTest::newRow("watch converting all")
        << QStringList{"--watch", "--convert", "/tmp"} << "--watch goes with";
    QTest::newRow("watch removing")
        << QStringList{"--watch", "--compile", "--remove-converted", "/tmp"} << "--watch goes with";
    QTest::newRow("missing folder")
        << QStringList{"--plan", "/nonexistent/folder"} << "/nonexistent/folder: no such folder";
}

void TestBatch::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    const Result r = Batch(arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void TestBatch::helpAndVersion()
{
    const Result help = Batch({"--help"});
    QCOMPARE(help.exitCode, 0);
    for (const char *option : {"--convert", "--compile", "--remove-converted", "--plan",
                               "--blank-sheets", "--no-blank-sheets", "--output", "Examples:",
                               "--plan ~/Handbook", "Exit status:", "  2  a usage error"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    const Result version = Batch({"--version"});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith(QLatin1String("quirefold-batch 1.1")));
}

void TestBatch::planChangesNothing()
{
    TestFolder folder;
    MakePdf(folder.file("A.pdf"), 3);
    MakePdf(folder.file("b.final.pdf"), 2);
    MakePdf(folder.file("c.pdf"), 1);
    MakePdf(folder.file("skipped.pdf"), 4);
    folder.write("QFPDFIgnore.INI", "skipped.pdf\r\n");
    folder.touch({"Report.doc"});
    const QStringList before = Snapshot(folder.path());

    const Result r = Batch({"--plan", "--output", "Handbook.pdf", folder.path()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(Snapshot(folder.path()), before);
    const QStringList lines = r.out.split('\n');
    QVERIFY(lines.contains("Book: " + folder.file("PDFCompile Output/Handbook.pdf")));
    QVERIFY(lines.contains("Blank sheets: on"));
    QVERIFY2(r.out.contains(QRegularExpression(R"(\n\s+3\s+page 1\s+yes\s+A\s+A.pdf\n)")),
             qPrintable(r.out));
    QVERIFY(r.out.contains(QRegularExpression(R"(\n\s+2\s+page 5\s+no\s+b\s+b.final.pdf\n)")));
    QVERIFY(r.out.contains(QRegularExpression(R"(\n\s+1\s+page 7\s+no\s+c\s+c.pdf\n)")));
    QVERIFY(!r.out.contains("skipped.pdf"));
    QVERIFY(lines.contains("Total: 7 pages (3 documents, 1 blank sheet)"));
    QVERIFY(lines.contains("  Report.doc: PDF missing"));

    // The size said is the book's, bookmarks aside.
    const QRegularExpressionMatch said =
        QRegularExpression(R"(\nSize: about ([0-9.]+) kB)").match(r.out);
    QVERIFY2(said.hasMatch(), qPrintable(r.out));
    QCOMPARE(Batch({"--compile", "-o", "Handbook.pdf", folder.path()}).exitCode, 0);
    const double made = QFileInfo(folder.file("PDFCompile Output/Handbook.pdf")).size() / 1000.0;
    QVERIFY2(qAbs(said.captured(1).toDouble() - made) < made / 4, qPrintable(said.captured(0)));
}

void TestBatch::changedOnlyLeavesUpToDateDocumentsAlone()
{
    TestFolder folder;
    folder.touch({"a.doc", "b.doc"});
    MakePdf(folder.file("a.PDF"), 1);
    MakePdf(folder.file("b.PDF"), 1);
    // A PDF as new as its document is up to date, one a second newer too.
    const time_t made = 1700000000;
    for (const char *name : {"a.doc", "b.doc", "b.PDF"})
        folder.setModified(name, made);
    folder.setModified("a.PDF", made + 1);
    const QStringList before = Snapshot(folder.path());
    // Nothing needs converting, so nothing is converted and no office starts.
    const Result r = Batch({"--convert", "--changed-only", folder.path()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, "Up to date: " + folder.file("a.doc") +
                        "\nUp to date: " + folder.file("b.doc") + "\n");
    QVERIFY(r.err.isEmpty());
    const QStringList after = Snapshot(folder.path());
    QCOMPARE(after.filter(".PDF"), before.filter(".PDF"));
    QCOMPARE(Batch({"--plan", "--changed-only", folder.path()}).exitCode, 2);

    // A PDF a second older than its document is made anew.
    QVERIFY(
        QFile::copy(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER "/appendix.DOC"), folder.file("r.doc")));
    MakePdf(folder.file("r.PDF"), 5);
    folder.setModified("r.doc", made);
    folder.setModified("r.PDF", made - 1);
    const Result changed = Batch({"--convert", "--changed-only", folder.path()});
    QCOMPARE(changed.exitCode, 0);
    QVERIFY2(changed.out.contains("Converted: " + folder.file("r.doc")), qPrintable(changed.out));
    QCOMPARE(changed.out.count("Up to date: "), 2);
    QCOMPARE(ReadPdf(folder.file("r.PDF"))->getAllPages().size(), size_t(1));

    // Other kinds of document are listed once chosen.
    folder.touch({"c.docx", "d.ODT"});
    const Result typed = Batch({"--plan", "--document-types", "doc,Docx", folder.path()});
    QVERIFY2(typed.out.contains("  c.docx: PDF missing\n"), qPrintable(typed.out));
    QVERIFY(!typed.out.contains("d.ODT"));
    QVERIFY(Batch({"--plan", "--document-types", "doc,pages", folder.path()})
                .err.contains("pages is not one of"));
}

void TestBatch::compileMakesTheBookTheWindowMakes()
{
    TestFolder batchFolder, windowFolder;
    for (const TestFolder *f : {&batchFolder, &windowFolder}) {
        MakePdf(f->file("One.pdf"), 3, 0);
        MakePdf(f->file("Two.pdf"), 2, 100);
        MakePdf(f->file("Three.pdf"), 1, 200);
        f->write("QFPDFIgnore.INI", "Three.pdf\r\n");
    }
    const Result r = Batch({"--compile", "--no-blank-sheets", "-o", "Out.pdf", "--book-title",
                            " Handbook 2027 ", batchFolder.path()});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains("Book: " + batchFolder.file("PDFCompile Output/Out.pdf")));
    QVERIFY2(r.err.contains("compile (1/2): One.pdf\ncompile (2/2): Two.pdf\n"), qPrintable(r.err));
    QCOMPARE(batchFolder.read("Quirefold.INI"),
             QByteArray("[Settings]\r\nSlipSheet=0\r\nOutputName=Out.pdf\r\nBookTitle=Handbook "
                        "2027\r\n"));
    QCOMPARE(batchFolder.read("QFPDFIgnore.INI"), QByteArray("Three.pdf\r\n"));

    // The window's run on the same folder and choices.
    NoSound sound;
    NoBookViewer viewer;
    Workspace ws = Workspace::FromArguments({windowFolder.path()});
    MemoryWindow window;
    for (const char *name : {"One.pdf", "Two.pdf", "Three.pdf"})
        window.pdfList.AddItem(name);
    window.pdfList.SetTicked(0, true);
    window.pdfList.SetTicked(2, true); // Two.pdf; Three.pdf stays unticked
    window.bookName.SetText("Out.pdf");
    window.choices.bookTitle = "Handbook 2027";
    RunContext ctx{ws, window, sound, viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER)};
    RunToEnd([&](std::function<void()> ended) { CompileRun(ctx, std::move(ended)); });

    auto fromBatch = ReadPdf(batchFolder.file("PDFCompile Output/Out.pdf"));
    auto fromWindow = ReadPdf(windowFolder.file("PDFCompile Output/Out.pdf"));
    QCOMPARE(PageWidths(*fromBatch), PageWidths(*fromWindow));
    QCOMPARE(Outline(*fromBatch), Outline(*fromWindow));
    for (QPDF *book : {fromBatch.get(), fromWindow.get()})
        QCOMPARE(book->getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(),
                 std::string("Handbook 2027"));
    QCOMPARE(batchFolder.read("Quirefold.INI"), windowFolder.read("Quirefold.INI"));
}

void TestBatch::failuresExitWithOne()
{
    TestFolder folder;
    MakePdf(folder.file("good.pdf"), 2);
    folder.write("bad.pdf", "not a PDF");
    const Result plan = Batch({"--plan", folder.path()});
    QCOMPARE(plan.exitCode, 1);
    QVERIFY2(plan.out.contains("bad.pdf: left out, is damaged or not a PDF file"),
             qPrintable(plan.out));

    // Quiet, only the problem is said; the results are the same.
    for (const bool quiet : {false, true}) {
        const Result r = Batch(quiet ? QStringList{"--compile", "-q", folder.path()}
                                     : QStringList{"--compile", folder.path()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("Book: "));
        QVERIFY2(r.err.contains(folder.file("bad.pdf") + ": is damaged or not a PDF file"),
                 qPrintable(r.err));
        QCOMPARE(r.err.contains("compile (1/2): bad.pdf"), !quiet);
        QCOMPARE(r.err.contains("The book's size: "), !quiet);
        QCOMPARE(
            ReadPdf(folder.file("PDFCompile Output/CompiledPDFDocument.pdf"))->getAllPages().size(),
            size_t(2));
    }
}

void TestBatch::refusedValuesAreNeverStored()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    const QByteArray settings = "[Settings]\r\nSlipSheet=0\r\nOutputName=Good.pdf\r\n";
    folder.write("Quirefold.INI", settings);
    const QList<std::pair<QStringList, QString>> refused = {
        {{"--compile", "--output", "Bad/Name.pdf", "--blank-sheets"}, "--output: \"Bad/Name.pdf\""},
        {{"--compile", "-o", ".."}, "--output"},
        {{"--convert", "--document-types", "doc,xyz"}, "--document-types: xyz"},
        {{"--compile", "--index-page", "--page-numbers", "Page {x}"},
         "--page-numbers: \"Page {x}\""},
    };
    for (const auto &[arguments, says] : refused) {
        const Result r = Batch(arguments + QStringList{folder.path()});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        QCOMPARE(folder.read("Quirefold.INI"), settings);
        QVERIFY(!folder.exists("PDFCompile Output"));
    }
    // A bad name the window stored is named for what it is, with the option that mends it.
    folder.write("Quirefold.INI", "[Settings]\r\nSlipSheet=0\r\nOutputName=a/b.pdf\r\n");
    const Result r = Batch({"--compile", folder.path()});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("\"a/b.pdf\" (OutputName in Quirefold.INI)") &&
                 r.err.contains("--output NAME") && !r.err.contains("Compiled PDF File Name"),
             qPrintable(r.err));
    QCOMPARE(Batch({"--compile", "-o", "Fixed.pdf", folder.path()}).exitCode, 0);
    QVERIFY(folder.read("Quirefold.INI").contains("OutputName=Fixed.pdf"));
}

void TestBatch::jsonReportSaysWhatWasDone()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 3);
    MakePdf(folder.file("b.pdf"), 2);
    folder.write("c.pdf", "not a PDF");
    const QString book = folder.file("PDFCompile Output/CompiledPDFDocument.pdf");
    for (const QString &job : {QStringLiteral("--plan"), QStringLiteral("--compile")}) {
        const Result r = Batch({job, "--json", "--blank-sheets", folder.path()});
        QCOMPARE(r.exitCode, 1);
        QJsonParseError error;
        const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(job + ": " + r.out));
        QCOMPARE(report["exit_status"].toInt(), 1);
        QCOMPARE(report["book"]["path"].toString(), book);
        QCOMPARE(report["book"]["pages"].toInt(), 6);
        const QJsonArray documents = report["documents"].toArray();
        QCOMPARE(documents.size(), 2);
        QCOMPARE(documents[0].toObject(), (QJsonObject{{"file", "a.pdf"},
                                                       {"title", "a"},
                                                       {"start_page", 1},
                                                       {"pages", 3},
                                                       {"blank_sheet_after", true}}));
        QCOMPARE(documents[1]["start_page"].toInt(), 5);
        QCOMPARE(documents[1]["blank_sheet_after"].toBool(), false);
        const QJsonArray problems = report["problems"].toArray();
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0]["file"].toString(), folder.file("c.pdf"));
        QCOMPARE(problems[0]["severity"].toString(), "error");
        QVERIFY(problems[0]["reason"].toString().startsWith("is damaged or not a PDF file"));
        // What people read went to standard error.
        QVERIFY2(r.err.contains(job == "--plan" ? "Total: 6 pages" : "Book: "), qPrintable(r.err));
        QCOMPARE(QFileInfo::exists(book), job == "--compile");
        if (job == "--compile")
            QCOMPARE(report["book"]["bytes"].toInteger(), QFileInfo(book).size());
        else
            QCOMPARE(report["to_convert"].toArray(), QJsonArray());
    }
    // A wrong command line gives a report too.
    const Result wrong = Batch({"--compile", "--json", "--no-such-option", folder.path()});
    QCOMPARE(wrong.exitCode, 2);
    const QJsonObject report = QJsonDocument::fromJson(wrong.out.toUtf8()).object();
    QCOMPARE(report["exit_status"].toInt(), 2);
    QVERIFY(report["book"].isNull());
    QVERIFY(report["problems"][0]["file"].isNull());
}

void TestBatch::passwordFileOpensLockedPdfs_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<QByteArray>("passwords"); // the password file; empty: none given
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("bPages"); // b.pdf's pages in the book, 0 when it is not listed
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("says"); // on standard error
    QTest::newRow("right") << "--compile" << QByteArray("a.pdf\tnone\r\nb.pdf\ttulip-7742\n") << 0
                           << 2 << false << QString();
    QTest::newRow("wrong") << "--compile" << QByteArray("b.pdf\ttulip\n") << 1 << 1 << true
                           << "b.pdf: is encrypted, and the password given for it is wrong";
    QTest::newRow("none") << "--compile" << QByteArray() << 1 << 1 << true
                          << "b.pdf: is encrypted with a password";
    QTest::newRow("planned") << "--plan" << QByteArray() << 1 << 1 << true
                             << "b.pdf: left out, is encrypted with a password";
    QTest::newRow("no tab") << "--compile" << QByteArray("a.pdf\tx\nb.pdf tulip-7742\n") << 2 << 0
                            << false << "passwords.txt, line 2: not a PDF's file name";
    QTest::newRow("unreadable") << "--compile" << QByteArray("-") << 2 << 0 << false
                                << "passwords.txt cannot be read";
}

void TestBatch::passwordFileOpensLockedPdfs()
{
    QFETCH(QString, job);
    QFETCH(QByteArray, passwords);
    QFETCH(int, exitCode);
    QFETCH(int, bPages);
    QFETCH(bool, missing);
    QFETCH(QString, says);
    TestFolder folder, outside;
    MakePdf(folder.file("a.pdf"), 3);
    MakePdf(outside.file("plain.pdf"), 2, 100);
    QCOMPARE(RunQpdf({"--encrypt", "tulip-7742", "owner", "256", "--", outside.file("plain.pdf"),
                      folder.file("b.pdf")}),
             0);
    QStringList arguments{job, "--page-numbers", "P{n}", "--json", folder.path()};
    if (!passwords.isEmpty()) {
        if (passwords != "-")
            outside.write("passwords.txt", passwords);
        arguments.prepend(outside.file("passwords.txt"));
        arguments.prepend("--password-file");
    }
    const Result r = Batch(arguments);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
    if (bPages == 0)
        return;
    const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8()).object();
    const QJsonObject b = report["documents"].toArray().at(1).toObject();
    QCOMPARE(b["file"].toString(), QString("b.pdf"));
    QCOMPARE(b["pages"].toInt(), bPages);
    QCOMPARE(b["start_number"].toString(), QString("P5")); // after a.pdf's blank sheet
    QCOMPARE(b["missing"].toBool(), missing);
    // The password is used, and kept nowhere.
    QDirIterator files(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(!file.readAll().contains("tulip-7742"), qPrintable(file.fileName()));
    }
}

void TestBatch::documentsWithoutAnUpToDatePdfAreNamed()
{
    TestFolder folder;
    folder.touch({"Preface.doc", "Intro.doc", "Notes.doc"});
    MakePdf(folder.file("Intro.pdf"), 1);
    MakePdf(folder.file("Notes.pdf"), 1);
    folder.setModified("Intro.pdf", 1000); // older than its document
    folder.setModified("Intro.doc", 2000);
    folder.write("QFDOCIgnore.INI", "Notes.doc\r\n"); // unticked: not named
    const Result r = Batch({"--compile", "--json", folder.path()});
    QCOMPARE(r.exitCode, 0); // warnings: the book is made
    const QJsonArray problems =
        QJsonDocument::fromJson(r.out.toUtf8()).object()["problems"].toArray();
    QCOMPARE(problems.size(), 2);
    QCOMPARE(problems[0].toObject(),
             (QJsonObject{{"file", folder.file("Intro.doc")},
                          {"severity", "warning"},
                          {"reason", "Intro.doc is newer than its PDF; print it to PDF again"}}));
    QCOMPARE(problems[1]["reason"].toString(), "Preface.doc has no PDF yet; print it to PDF first");
    QVERIFY(QFileInfo::exists(folder.file("PDFCompile Output/CompiledPDFDocument.pdf")));
}

void TestBatch::repairThatLosesNothingIsANote()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    QFile file(folder.file("a.pdf"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("/Resources << >>")); // a key said twice, every offset kept
    bytes.replace("/Resources << >>", "/Type /Page     ");
    QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    const Result r = Batch({"--compile", "--json", folder.path()});
    QCOMPARE(r.exitCode, 0);
    const QJsonArray problems =
        QJsonDocument::fromJson(r.out.toUtf8()).object()["problems"].toArray();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0]["severity"].toString(), "note");
    QCOMPARE(problems[0]["reason"].toString(),
             "was repaired as it was read (a dictionary gives /Type twice); all of it went into "
             "the book");
}

void TestBatch::bookNameWithoutExtensionIsWarnedOf()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    const Result r = Batch({"--compile", "--json", "-o", "Bundle", folder.path()});
    QCOMPARE(r.exitCode, 0); // made as named
    QVERIFY(QFileInfo::exists(folder.file("PDFCompile Output/Bundle")));
    const QJsonArray problems =
        QJsonDocument::fromJson(r.out.toUtf8()).object()["problems"].toArray();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0]["severity"].toString(), "warning");
    QCOMPARE(problems[0]["reason"].toString(),
             "The book's name \"Bundle\" has no .pdf extension, so viewers and filing portals may "
             "not open it; name it \"Bundle.pdf\" to be sure.");
}

void TestBatch::naturalOrderIsStoredAndOrdersTheBook()
{
    TestFolder folder;
    for (const char *name : {"Exhibit 1.pdf", "Exhibit 2.pdf", "Exhibit 10.pdf"})
        MakePdf(folder.file(name), 1);
    const QString book = folder.file("PDFCompile Output/CompiledPDFDocument.pdf");
    const auto titles = [&] {
        QStringList said;
        for (const auto &[title, page] : Outline(*ReadPdf(book)))
            said << title;
        return said;
    };
    QCOMPARE(Batch({"--compile", "--no-blank-sheets", "--list-order", "natural", folder.path()})
                 .exitCode,
             0);
    QCOMPARE(titles(), QStringList({"Exhibit 1", "Exhibit 2", "Exhibit 10"}));
    QVERIFY(folder.read("Quirefold.INI").contains("ListOrder=natural\r\n"));
    QCOMPARE(Batch({"--compile", folder.path()}).exitCode, 0); // stored for the folder
    QCOMPARE(titles(), QStringList({"Exhibit 1", "Exhibit 2", "Exhibit 10"}));
    // Alphabetical, the order is named where it matters, as are documents of kinds not listed.
    folder.touch({"Brief.docx", "Notes.docx", "Old.odt"});
    const Result alphabetical =
        Batch({"--compile", "--json", "--list-order", "alphabetical", folder.path()});
    QCOMPARE(alphabetical.exitCode, 0);
    QCOMPARE(titles(), QStringList({"Exhibit 1", "Exhibit 10", "Exhibit 2"}));
    QStringList warned;
    for (const QJsonValue &problem :
         QJsonDocument::fromJson(alphabetical.out.toUtf8()).object()["problems"].toArray())
        warned << problem["severity"].toString() + ": " + problem["reason"].toString();
    QCOMPARE(warned, QStringList({"warning: Exhibit 10.pdf comes before Exhibit 2.pdf; give "
                                  "--list-order natural to order numbers by their value",
                                  "warning: 2 .DOCX documents are not listed; give "
                                  "--document-types doc,docx to list them",
                                  "warning: 1 .ODT document is not listed; give --document-types "
                                  "doc,odt to list it"}));
    QCOMPARE(Batch({"--plan", "--list-order", "numeric", folder.path()}).exitCode, 2);
}

void TestBatch::hintsNameTheOptionsThatChangeThem_data()
{
    QTest::addColumn<QStringList>("pdfs");
    QTest::addColumn<QStringList>("documents");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("warned");
    const QString order = "Exhibit 10.pdf comes before Exhibit 2.pdf; give --list-order natural "
                          "to order numbers by their value";
    for (const char *job : {"--plan", "--compile"})
        QTest::addRow("numbers by their value, %s", job)
            << QStringList{"Exhibit 10.pdf", "Exhibit 2.pdf"} << QStringList() << QStringList{job}
            << QStringList{order};
    QTest::newRow("kinds not listed, with those that are")
        << QStringList{"a.pdf"} << QStringList{"Brief.docx", "Old.odt", "Notes.rtf"}
        << QStringList{"--plan", "--document-types", "doc,rtf"}
        << QStringList{"1 .DOCX document is not listed; give --document-types doc,docx,rtf to "
                       "list it",
                       "1 .ODT document is not listed; give --document-types doc,odt,rtf to "
                       "list it"};
    QTest::newRow("title cut at a dot")
        << QStringList{"Kap. 3 \u00dcbersicht.pdf"} << QStringList() << QStringList{"--plan"}
        << QStringList{"the bookmark of Kap. 3 \u00dcbersicht.pdf is titled \"Kap\", cut at its "
                       "first dot; give --bookmark-titles name to keep the whole name"};
    QTest::newRow("natural order chosen")
        << QStringList{"Exhibit 10.pdf", "Exhibit 2.pdf"} << QStringList()
        << QStringList{"--plan", "--list-order", "natural"} << QStringList();
}

void TestBatch::hintsNameTheOptionsThatChangeThem()
{
    QFETCH(QStringList, pdfs);
    QFETCH(QStringList, documents);
    QFETCH(QStringList, options);
    QFETCH(QStringList, warned);
    TestFolder folder;
    for (const QString &name : pdfs)
        MakePdf(folder.file(name), 1);
    folder.touch(documents);
    const Result r = Batch(options + QStringList{"--json", folder.path()});
    QCOMPARE(r.exitCode, 0); // said, but nothing failed
    QStringList said;
    for (const QJsonValue &problem :
         QJsonDocument::fromJson(r.out.toUtf8()).object()["problems"].toArray()) {
        QCOMPARE(problem["severity"].toString(), "warning");
        said << problem["reason"].toString();
    }
    QCOMPARE(said, warned);
    for (const QString &hint : warned)
        QVERIFY2(r.err.contains(hint), qPrintable(r.err));
}

void TestBatch::bundleTurnedOffGivesThePlainBook()
{
    // The same PDFs in two folders of one name (the book's title): one never chose a bundle, the
    // other did and turned it off.
    TestFolder first, second;
    const QString plain = first.file("Handbook"), changed = second.file("Handbook");
    for (const QString &folder : {plain, changed}) {
        QVERIFY(QDir().mkdir(folder));
        MakePdf(folder + "/Kap. 1 Einleitung.pdf", 3, 0);
        MakePdf(folder + "/b.pdf", 2, 100);
    }
    QCOMPARE(Batch({"--compile", plain}).exitCode, 0);
    const Result bundled = Batch({"--compile", "--index-page", "--page-numbers", "{n}",
                                  "--bookmark-titles", "name", changed});
    QCOMPARE(bundled.exitCode, 0);
    const QString book = "/PDFCompile Output/CompiledPDFDocument.pdf";
    QCOMPARE(ReadPdf(changed + book)->getAllPages().size(), size_t(7)); // index, blank, 2, 3
    QCOMPARE(Batch({"--compile", "--no-index-page", "--no-page-numbers", "--bookmark-titles",
                    "short", changed})
                 .exitCode,
             0);
    const auto withoutId = [&](const QString &folder) {
        QFile file(folder + book);
        file.open(QIODevice::ReadOnly);
        return QString::fromLatin1(file.readAll())
            .replace(QRegularExpression("/ID \\[<[0-9a-f]+><[0-9a-f]+>\\]"), "");
    };
    QVERIFY(withoutId(plain) == withoutId(changed));
}

void TestBatch::watchMakesABookForEachChangeUntilTerminated()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                {"--compile", "--no-blank-sheets", "--watch", "--json", folder.path()});
    const auto ended = qScopeGuard([&] {
        batch.kill();
        batch.waitForFinished();
    });
    QList<QJsonObject> reports;
    // The report of the next run, within 10 s of the change.
    const auto nextReport = [&] {
        QElapsedTimer waited;
        waited.start();
        while (!batch.canReadLine() && waited.elapsed() < 10000)
            batch.waitForReadyRead(100);
        reports.append(QJsonDocument::fromJson(batch.readLine()).object());
        return int(std::as_const(reports).last()["documents"].toArray().size());
    };
    QCOMPARE(nextReport(), 1);
    MakePdf(folder.file("b.pdf"), 2);
    QCOMPARE(nextReport(), 2);
    QCOMPARE(std::as_const(reports).last()["book"]["pages"].toInt(), 3);
    QVERIFY(QFile::remove(folder.file("a.pdf")));
    QCOMPARE(nextReport(), 1);
    QCOMPARE(
        ReadPdf(folder.file("PDFCompile Output/CompiledPDFDocument.pdf"))->getAllPages().size(),
        size_t(2));
    // Its own book and settings start no run.
    QVERIFY(!batch.waitForReadyRead(2500));

    batch.terminate();
    QVERIFY(batch.waitForFinished(5000));
    QCOMPARE(batch.exitStatus(), QProcess::CrashExit);
    QVERIFY(batch.readAllStandardError().endsWith("quirefold-batch: Stopped watching " +
                                                  folder.path().toUtf8() + ".\n"));
    QCOMPARE(QDir(folder.file("PDFCompile Output")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"CompiledPDFDocument.pdf"});
}

void TestBatch::unusableIgnoreListStopsBeforeAnyJob()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    folder.mkdir("QFPDFIgnore.INI"); // cannot be read as a list
    const Result r = Batch({"--compile", folder.path()});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(folder.file("QFPDFIgnore.INI") + ": could not be"), qPrintable(r.err));
    QVERIFY(r.err.contains("nothing was done"));
    QVERIFY(!folder.exists("Quirefold.INI") && !folder.exists("PDFCompile Output"));
}

void TestBatch::removeRunsBeforeCompile()
{
    TestFolder folder;
    folder.touch({"Report.doc"});
    MakePdf(folder.file("Report.pdf"), 5);
    MakePdf(folder.file("Kept.pdf"), 1);
    const Result r = Batch({"--compile", "--remove-converted", folder.path()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, "Deleted: " + folder.file("Report.pdf") + "\nBook: " +
                        folder.file("PDFCompile Output/CompiledPDFDocument.pdf") + "\n");
    QCOMPARE(
        ReadPdf(folder.file("PDFCompile Output/CompiledPDFDocument.pdf"))->getAllPages().size(),
        size_t(1));

    // Into a trash of the test's own, when asked.
    TestFolder data;
    MakePdf(folder.file("Report.pdf"), 5);
    QProcess batch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", data.path());
    batch.setProcessEnvironment(environment);
    batch.start(QUIREFOLD_BATCH, {"--remove-converted", "--trash", folder.path()});
    QVERIFY(batch.waitForFinished(60000));
    QCOMPARE(batch.exitCode(), 0);
    QCOMPARE(batch.readAllStandardOutput(),
             "Trashed: " + QFile::encodeName(folder.file("Report.pdf")) + "\n");
    QVERIFY(!folder.exists("Report.pdf") && data.exists("Trash/files/Report.pdf"));
    QCOMPARE(Batch({"--compile", "--trash", folder.path()}).exitCode, 2);
}

void TestBatch::progressIsABarOnATerminal()
{
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    MakePdf(folder.file("b.pdf"), 1);
    // script(1) gives the command a terminal for its output.
    QProcess script;
    script.start("script",
                 {"-qec", QStringLiteral("'%1' --compile '%2'").arg(QUIREFOLD_BATCH, folder.path()),
                  "/dev/null"});
    QVERIFY(script.waitForFinished(60000));
    const QByteArray out = script.readAllStandardOutput();
    QCOMPARE(script.exitCode(), 0);
    QVERIFY2(out.contains("\r\033[Kcompile [" + QByteArray(30, ' ') + "] 1/2 a.pdf"),
             out.constData());
    QVERIFY2(out.contains("\r\033[Kcompile [###############               ] 2/2 b.pdf"),
             out.constData());
}

void TestBatch::convertsRealDocuments()
{
    TestFolder folder;
    CopySampleDocuments(folder);
    folder.write("QFDOCIgnore.INI", "Welcome.doc\r\n");
    const QStringList before = Snapshot(folder.path()).filter(".doc", Qt::CaseInsensitive);
    const Result r = Batch({"--convert", folder.path()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out.count("Converted: "), 3);
    QCOMPARE(Snapshot(folder.path()).filter(".doc", Qt::CaseInsensitive), before);
    const QList<std::pair<const char *, size_t>> expected = {
        {"appendix.PDF", 1}, {"Fixtures 2027.PDF", 2}, {"Rules of Play.PDF", 3}};
    for (const auto &[name, pages] : expected)
        QCOMPARE(ReadPdf(folder.file(name))->getAllPages().size(), pages);
    QVERIFY(!folder.exists("Welcome.PDF"));
    QCOMPARE(
        QDir(folder.path()).entryList({"*.PS", "*.LOG", ".~lock*"}, QDir::Files | QDir::Hidden),
        QStringList());
}

void TestBatch::startsAndSaysWhatToInstallWithoutLibreOffice()
{
    // LibreOffice's libraries are loaded with its plugin, never when the program starts.
    QProcess readelf;
    readelf.start("readelf", {"-d", QStringLiteral(QUIREFOLD_BATCH)});
    QVERIFY(readelf.waitForFinished(10000));
    const QByteArray dynamic = readelf.readAllStandardOutput();
    QVERIFY(dynamic.contains("NEEDED"));
    QVERIFY2(!dynamic.contains("libuno"), dynamic.constData());

    // A copy of the program without the plugin beside it: it starts, says why it cannot convert,
    // and the run touches no file (start-up still makes the missing ignore lists, as the window's).
    TestFolder programFolder, folder;
    const QString copy = programFolder.file("quirefold-batch");
    QVERIFY(QFile::copy(QStringLiteral(QUIREFOLD_BATCH), copy));
    folder.touch({"a.doc"});
    QProcess batch;
    batch.start(copy, {"--convert", folder.path()});
    QVERIFY(batch.waitForFinished(60000));
    QCOMPARE(batch.exitCode(), 1);
    const QString err = QString::fromUtf8(batch.readAllStandardError());
    QVERIFY2(err.contains("quirefold-libreoffice.so is missing"), qPrintable(err));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
             QStringList({"a.doc", "QFDOCIgnore.INI", "QFPDFIgnore.INI"}));
}

namespace {

// A conversion of copies of a real document, running in the background until it is on its
// second document. Its office keeps its profile under cache, so its command line names cache.
struct ConversionUnderWay {
    TestFolder folder, cache;
    QProcess batch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    explicit ConversionUnderWay(int copies)
    {
        const QDir sample(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER));
        for (int copy = 0; copy < copies; ++copy)
            QFile::copy(sample.filePath("Rules of Play.doc"),
                        folder.file(QStringLiteral("Copy %1.doc").arg(copy)));
        env.insert("XDG_CACHE_HOME", cache.path());
        batch.setProcessEnvironment(env);
        batch.setProcessChannelMode(QProcess::MergedChannels);
        batch.start(QStringLiteral(QUIREFOLD_BATCH), {"--convert", folder.path()});
        const QByteArray second = QStringLiteral("convert (2/%1)").arg(copies).toUtf8();
        QByteArray said;
        QElapsedTimer timer;
        timer.start();
        while (!said.contains(second) && timer.elapsed() < 60000) {
            batch.waitForReadyRead(100);
            said += batch.readAll();
        }
    }
    ~ConversionUnderWay() { QProcess::execute("pkill", {"-KILL", "-f", cache.path()}); }
    QByteArray OfficesStillRunning()
    {
        QProcess pgrep;
        pgrep.start("pgrep", {"-a", "-f", cache.path()});
        pgrep.waitForFinished(5000);
        return pgrep.readAllStandardOutput();
    }
};

} // namespace

void TestBatch::stoppedFromOutsideLeavesNoOfficeBehind()
{
    ConversionUnderWay run(10);
    QCOMPARE(run.batch.state(), QProcess::Running);
    run.batch.terminate(); // SIGTERM
    QVERIFY(run.batch.waitForFinished(10000));
    QCOMPARE(run.batch.exitStatus(), QProcess::CrashExit);
    // An office that was still starting is ended by its guard, a moment later.
    QElapsedTimer waited;
    waited.start();
    QByteArray left = run.OfficesStillRunning();
    while (!left.isEmpty() && waited.elapsed() < 5000) {
        QThread::msleep(50);
        left = run.OfficesStillRunning();
    }
    QVERIFY2(left.isEmpty(), left.constData());
    // It stopped as the window's Stop does: the PDFs made are whole, and no scratch is left.
    const QDir folder(run.folder.path());
    QVERIFY(folder.entryList({".scratch*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
    for (const QString &pdf : folder.entryList({"*.pdf", "*.PDF"}, QDir::Files))
        QCOMPARE(RunQpdf({"--check", folder.filePath(pdf)}), 0);
}

void TestBatch::officeLeftBehindByAKilledRunDoesNotDisturbTheNext()
{
    // An office whose run and guards were all killed outright at once (stopped first, so no
    // guard acts) lives on and keeps its profile.
    ConversionUnderWay killed(6);
    QCOMPARE(killed.batch.state(), QProcess::Running);
    QProcess::execute("pkill", {"-STOP", "-f", killed.folder.path()});
    QProcess::execute("pkill", {"-KILL", "-f", killed.folder.path()});
    killed.batch.waitForFinished(5000);
    QVERIFY(!killed.OfficesStillRunning().isEmpty());

    QProcess next;
    next.setProcessEnvironment(killed.env);
    next.start(QStringLiteral(QUIREFOLD_BATCH), {"--convert", killed.folder.path()});
    QVERIFY(next.waitForFinished(120000));
    QVERIFY2(next.exitCode() == 0, next.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(next.readAllStandardOutput()).count("Converted: "), 6);
}

void TestBatch::desktopFilesKeepUpWithTheProgram()
{
    const QDir desktop(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER "/../desktop"));
    // The completion offers every option the command knows.
    QFile completion(desktop.filePath("quirefold-batch.bash-completion"));
    QVERIFY(completion.open(QIODevice::ReadOnly));
    const QString offered = QString::fromUtf8(completion.readAll());
    const QRegularExpression option(QStringLiteral("(?:^|\\s)(--[a-z-]+)"));
    const QString help = Batch({"--help"}).out;
    QStringList options;
    for (auto it = option.globalMatch(help); it.hasNext();)
        options << it.next().captured(1);
    QVERIFY(options.size() > 10);
    // So does the manual page, which renders without a warning.
    QFile manual(desktop.filePath("man/quirefold-batch.1"));
    QVERIFY(manual.open(QIODevice::ReadOnly));
    const QString manualText = QString::fromUtf8(manual.readAll()).remove('\\');
    for (const QString &name : options) {
        const QRegularExpression named(QRegularExpression::escape(name) + "\\b");
        QVERIFY2(offered.contains(named), qPrintable(name + " is not completed"));
        QVERIFY2(manualText.contains(named), qPrintable(name + " is not in the manual page"));
    }
    for (const char *page : {"man/quirefold.1", "man/quirefold-batch.1"}) {
        QProcess groff;
        groff.start("groff", {"-man", "-ww", "-z", desktop.filePath(page)});
        QVERIFY(groff.waitForFinished(10000));
        QCOMPARE(groff.readAllStandardError(), QByteArray());
    }
    // And it completes folders for FOLDER.
    TestFolder folder;
    folder.mkdir("Handbook");
    folder.touch({"Handbook.doc"});
    QProcess bash;
    bash.setWorkingDirectory(folder.path());
    bash.start("bash", {"-c", "source '" + completion.fileName() +
                                  "'; COMP_WORDS=(quirefold-batch Hand); COMP_CWORD=1; "
                                  "_quirefold_batch; echo \"${COMPREPLY[*]}\""});
    QVERIFY(bash.waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()).trimmed(), QStringLiteral("Handbook"));

    // The desktop entry and the AppStream metadata pass their validators.
    const QList<QStringList> validators = {
        {"desktop-file-validate", desktop.filePath("net.tallowmere.quirefold.desktop")},
        {"appstreamcli", "validate", "--no-net", "--pedantic",
         desktop.filePath("net.tallowmere.quirefold.metainfo.xml")},
    };
    for (QStringList command : validators) {
        const QString program = command.takeFirst();
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program + " is not installed (scripts/install-deps.sh installs it)"));
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(program, command);
        QVERIFY(validate.waitForFinished(30000));
        const QString said = QString::fromUtf8(validate.readAll());
        QVERIFY2(validate.exitCode() == 0 && !said.contains(QRegularExpression(
                                                 "^[EWIP]:", QRegularExpression::MultilineOption)),
                 qPrintable(program + ": " + said));
    }
}

QTEST_GUILESS_MAIN(TestBatch)
#include "test_batch.moc"
