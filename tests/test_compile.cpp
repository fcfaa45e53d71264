#include "book/ShownPage.h"
#include "compile/CompileBook.h"
#include "jobs/Requests.h"
#include "runs/CompileRun.h"
#include "runs/JobThread.h"
#include "store/FolderChoices.h"
#include "support/CompileFixture.h"
#include "support/MemoryWindow.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <qpdf/QPDFWriter.hh>

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <QImage>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <functional>
#include <map>
#include <set>

using namespace qf;

class TestCompile : public QObject {
    Q_OBJECT
private slots:
    void endMessageSaysWhatTheRunDid_data();
    void endMessageSaysWhatTheRunDid();
    void bookHasBlankSheetsAndBookmarks_data();
    void bookHasBlankSheetsAndBookmarks();
    void tickedDocumentWithoutPdfIsNamed();
    void bookRendersWithNoWarningOfItsOwn();
    void blankSheetCanTakeThePageBefore();
    void documentsKeepTheirOwnBookmarks();
    void runStoresChoicesAndReportsAsItGoes();
    void runEndsBeforeTheApplication();
    void titlesAreCutAtTheFirstDot();
    void unreadablePdfsAreLeftOutAndNamed();
    void pdfsThatNeedAPasswordAreFound_data();
    void pdfsThatNeedAPasswordAreFound();
    void nothingTickedWritesNothing();
    void outputNameMustBeAPlainFileName_data();
    void outputNameMustBeAPlainFileName();
    void bookThatCannotBeWrittenLeavesNoFile();
    void oldBookIsReplaced();
    void identicalStreamsAreKeptOnce_data();
    void identicalStreamsAreKeptOnce();
    void pagesTakeTheChosenSize_data();
    void pagesTakeTheChosenSize();
    void bundleTakesTheChosenSize();
    void spotsOnAScaledPageMoveWithIt_data();
    void spotsOnAScaledPageMoveWithIt();
    void fieldsDrawnForViewersKeepTheirValues_data();
    void fieldsDrawnForViewersKeepTheirValues();
};

void TestCompile::bookHasBlankSheetsAndBookmarks_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<std::vector<int>>("widths");
    QTest::addColumn<Bookmarks>("bookmarks");
    // Alpha's pages are 400 to 402 wide, beta's 500 and 501, Gamma's 300 to 304; the blank 595.
    const std::vector<int> withBlank = {400, 401, 402, 595, 500, 501, 300, 301, 302, 303, 304};
    std::vector<int> withoutBlank = withBlank;
    withoutBlank.erase(withoutBlank.begin() + 3);
    QTest::newRow("blank sheets") << 1 << withBlank
                                  << Bookmarks{{"Alpha", 0}, {"beta", 4}, {"Gamma", 6}};
    QTest::newRow("no blank sheets")
        << 0 << withoutBlank << Bookmarks{{"Alpha", 0}, {"beta", 3}, {"Gamma", 5}};
    QTest::newRow("grayed is not ticked")
        << 2 << withoutBlank << Bookmarks{{"Alpha", 0}, {"beta", 3}, {"Gamma", 5}};
}

void TestCompile::bookHasBlankSheetsAndBookmarks()
{
    QFETCH(int, option);
    QFETCH(std::vector<int>, widths);
    QFETCH(Bookmarks, bookmarks);
    // Listed out of order: the book follows the list's order, not the adding order.
    CompileFixture f({{"Gamma.pdf", 5}, {"Alpha.pdf", 3}, {"beta.pdf", 2}});
    f.window.blankSheetOption.SetState(BlankSheetState(option));
    CompileRun(f.ctx);

    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
    auto pdf = ReadPdf(f.book());
    QCOMPARE(PageWidths(*pdf), widths);
    QCOMPARE(Outline(*pdf), bookmarks);
    QCOMPARE(RunQpdf({"--check", f.book()}), 0);
    QCOMPARE(f.viewer.shown, QStringList({f.book()}));
    QPDFObjectHandle info = pdf->getTrailer().getKey("/Info");
    // A desktop without a PDF viewer: the window says where the book is.
    f.viewer.opens = false;
    CompileRun(f.ctx);
    QCOMPARE(f.messages().size(), 1);
    QVERIFY2(f.messages().first().contains("No PDF viewer opened the book; it is at " + f.book()),
             qPrintable(f.messages().first()));
    // Its title is the folder's name, as the book's is by default.
    QCOMPARE(QString::fromStdString(info.getKey("/Title").getUTF8Value()),
             QFileInfo(f.folder.path()).fileName());
    QCOMPARE(info.getKey("/Creator").getUTF8Value(), std::string("Quirefold"));
    QVERIFY(pdf->getRoot().getKey("/PageMode").isNameAndEquals("/UseOutlines"));
}

void TestCompile::tickedDocumentWithoutPdfIsNamed()
{
    CompileFixture f({{"Chapter.pdf", 1}});
    f.folder.touch({"Preface.doc"});
    f.window.documentList.AddItem("Preface.doc");
    f.window.documentList.SetTicked(0, true);
    CompileRun(f.ctx);
    QCOMPARE(ReadPdf(f.book())->getAllPages().size(), size_t(1)); // the book is made all the same
    QCOMPARE(f.messages().size(), 1);
    QVERIFY2(f.messages().first().contains("Preface.doc has no PDF yet; print it to PDF first"),
             qPrintable(f.messages().first()));
}

namespace {

// Rewrites the PDF at path after change has had its way with it.
void ChangePdf(const QString &path, const std::function<void(QPDF &)> &change)
{
    auto pdf = ReadPdf(path);
    change(*pdf);
    const QByteArray changed = QFile::encodeName(path + ".changed");
    QPDFWriter(*pdf, changed.constData()).write();
    QFile::remove(path);
    QFile::rename(QFile::decodeName(changed), path);
}

// What a renderer says of a file besides its pages, one line each.
QSet<QString> RenderWarnings(const QString &program, QStringList arguments, const QString &pdf)
{
    QProcess render;
    arguments.replaceInStrings(QStringLiteral("PDF"), pdf);
    render.start(program, arguments);
    render.waitForFinished(60000);
    QSet<QString> warnings;
    for (const QString &line : QString::fromUtf8(render.readAllStandardError()).split('\n'))
        if (!line.isEmpty() && !line.startsWith(QLatin1String("page ")))
            warnings.insert(line);
    return warnings;
}

} // namespace

void TestCompile::bookRendersWithNoWarningOfItsOwn()
{
    CompileFixture f({{"One.pdf", 1}, {"Three.pdf", 3}, {"Two.pdf", 2}}); // two blank sheets
    CompileRun(f.ctx);
    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
    const QList<std::pair<QString, QStringList>> renderers = {
        {"mutool", {"draw", "-r", "10", "-F", "pnm", "-o", "/dev/null", "PDF"}},
        {"pdftoppm", {"-r", "10", "PDF"}},
    };
    for (const auto &[program, arguments] : renderers) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program + " is not installed (scripts/install-deps.sh installs it)"));
        QSet<QString> ofSources;
        for (const char *name : {"One.pdf", "Three.pdf", "Two.pdf"})
            ofSources.unite(RenderWarnings(program, arguments, f.folder.file(name)));
        QSet<QString> ofBook = RenderWarnings(program, arguments, f.book());
        QVERIFY2(ofBook.subtract(ofSources).isEmpty(),
                 qPrintable(program + ": " + QStringList(ofBook.values()).join("; ")));
    }
}

void TestCompile::blankSheetCanTakeThePageBefore()
{
    CompileFixture f({{"A.pdf", 1}, {"B.pdf", 3}, {"C.pdf", 1}});
    // B's last page is landscape and cropped.
    ChangePdf(f.folder.file("B.pdf"), [](QPDF &b) {
        QPDFObjectHandle last = b.getAllPages().back();
        last.replaceKey("/Rotate", QPDFObjectHandle::newInteger(90));
        last.replaceKey("/CropBox", QPDFObjectHandle::parse("[10 10 200 300]"));
    });
    for (const bool fit : {false, true}) {
        f.window.choices.fitBlankSheets = fit;
        CompileRun(f.ctx);
        QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
        auto pdf = ReadPdf(f.book());
        const std::vector<QPDFObjectHandle> pages = pdf->getAllPages();
        const std::vector<int> widths = PageWidths(*pdf);
        QCOMPARE(widths.size(), size_t(7)); // A, sheet, B B B, sheet, C
        for (const size_t sheet : {size_t(1), size_t(5)}) {
            QCOMPARE(widths[sheet] == widths[sheet - 1], fit);
            QPDFObjectHandle before = pages[sheet - 1], page = pages[sheet];
            for (const char *key : {"/Rotate", "/CropBox"})
                QCOMPARE(page.getKey(key).unparse(),
                         fit ? before.getKey(key).unparse() : std::string("null"));
        }
    }
    // A damaged page's boxes (here streams) are none a sheet can take: it keeps its own, and the
    // book is made, numbered.
    ChangePdf(f.folder.file("A.pdf"), [](QPDF &a) {
        QPDFObjectHandle page = a.getAllPages().front();
        for (const char *key : {"/MediaBox", "/CropBox"})
            page.replaceKey(key, a.newStream("0 0 100 100"));
    });
    f.window.choices.pageNumbers = QStringLiteral("{n}");
    CompileRun(f.ctx);
    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
    QCOMPARE(
        PageWidths(*ReadPdf(f.book())).at(1),
        PageWidths(*ReadPdf(QStringLiteral(QUIREFOLD_PROGRAM_FOLDER "/empty_page.pdf"))).at(0));
}

namespace {

// The outline as lines "LEVEL TITLE PAGE [VIEW]", the page zero-based, "-" when it has none; and a
// closed item's count after a "/".
QStringList OutlineTree(QPDF &pdf)
{
    std::map<QPDFObjGen, int> pages;
    for (QPDFObjectHandle page : pdf.getAllPages())
        pages.emplace(page.getObjGen(), int(pages.size()));
    QStringList lines;
    std::function<void(QPDFObjectHandle, int)> walk = [&](QPDFObjectHandle item, int level) {
        for (; item.isDictionary(); item = item.getKey("/Next")) {
            QString line = QStringLiteral("%1 %2").arg(level).arg(
                QString::fromStdString(item.getKey("/Title").getUTF8Value()));
            QPDFObjectHandle dest = item.getKey("/Dest");
            if (dest.isArray()) {
                line += QStringLiteral(" %1").arg(pages.at(dest.getArrayItem(0).getObjGen()));
                for (int i = 1; i < dest.getArrayNItems(); ++i)
                    line += " " + QString::fromStdString(dest.getArrayItem(i).unparse());
            } else {
                line += " -";
            }
            if (item.getKey("/Count").isInteger() && item.getKey("/Count").getIntValue() < 0)
                line += QStringLiteral(" /%1").arg(item.getKey("/Count").getIntValue());
            lines << line;
            walk(item.getKey("/First"), level + 1);
        }
    };
    walk(pdf.getRoot().getKey("/Outlines").getKey("/First"), 0);
    return lines;
}

// An outline item for pdf, linked under parent after previous (null: first).
QPDFObjectHandle AddItem(QPDF &pdf, QPDFObjectHandle parent, QPDFObjectHandle previous,
                         const std::string &title, const std::string &target)
{
    QPDFObjectHandle item = pdf.makeIndirectObject(
        QPDFObjectHandle::parse(&pdf, "<< /Title (" + title + ") " + target + " >>"));
    item.replaceKey("/Parent", parent);
    if (previous.isDictionary()) {
        previous.replaceKey("/Next", item);
        item.replaceKey("/Prev", previous);
    } else {
        parent.replaceKey("/First", item);
    }
    parent.replaceKey("/Last", item);
    return item;
}

} // namespace

void TestCompile::documentsKeepTheirOwnBookmarks()
{
    // Unreadable PDFs before and between the bookmarked ones must not shift whose bookmarks go
    // where.
    CompileFixture f(
        {{"0 Broken.pdf", 1}, {"A.pdf", 3}, {"B.pdf", 2}, {"B2 Broken.pdf", 1}, {"C.pdf", 1}});
    f.folder.write("0 Broken.pdf", "not a PDF");
    f.folder.write("B2 Broken.pdf", "not a PDF either");
    ChangePdf(f.folder.file("A.pdf"), [](QPDF &a) {
        const std::vector<QPDFObjectHandle> pages = a.getAllPages();
        QPDFObjectHandle root = a.makeIndirectObject(QPDFObjectHandle::parse("<< >>"));
        a.getRoot().replaceKey("/Outlines", root);
        a.getRoot().replaceKey("/Dests", QPDFObjectHandle::parse("<< >>"));
        // Places held as objects of their own, which the book lets go of once read.
        a.getRoot().getKey("/Dests").replaceKey(
            "/part", a.makeIndirectObject(QPDFObjectHandle::parse("[ null /Fit ]")));
        a.getRoot().getKey("/Dests").getKey("/part").setArrayItem(0, pages[1]);
        // The last leaf's upper limit in UTF-16, as XeTeX writes one: sorted by their bytes, the
        // names lie within the limits, read as text not.
        QPDFObjectHandle leaf = a.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Limits [ (d) <FEFF0063002E0070> ] /Names [ (detail) null "
                                    "<FEFF0063002E0070> null ] >>"));
        QPDFObjectHandle tree = QPDFObjectHandle::newDictionary(
            {{"/Kids", QPDFObjectHandle::newArray(
                           {a.makeIndirectObject(QPDFObjectHandle::parse(
                                "<< /Limits [ (a) (b) ] /Names [ (a) null (b) null ] >>")),
                            leaf})}});
        leaf.getKey("/Names").setArrayItem(
            1, a.makeIndirectObject(QPDFObjectHandle::parse("<< /D [ null /FitH 500 ] >>")));
        leaf.getKey("/Names").getArrayItem(1).getKey("/D").setArrayItem(0, pages[2]);
        a.getRoot().replaceKey("/Names", QPDFObjectHandle::parse("<< >>"));
        a.getRoot().getKey("/Names").replaceKey("/Dests", tree);
        QPDFObjectHandle intro = AddItem(a, root, {}, "Intro", "/Dest [ null /XYZ 72 700 0 ]");
        intro.getKey("/Dest").setArrayItem(0, pages[0]);
        QPDFObjectHandle part = AddItem(a, root, intro, "Part", "/Dest /part /Count 1");
        AddItem(a, part, {}, "Detail", "/A << /S /GoTo /D (detail) >>");
        AddItem(a, root, part, "Gone", "/Dest [ 999 0 R /Fit ]");
    });
    ChangePdf(f.folder.file("B.pdf"), [](QPDF &b) {
        QPDFObjectHandle root = b.makeIndirectObject(QPDFObjectHandle::parse("<< >>"));
        b.getRoot().replaceKey("/Outlines", root);
        QPDFObjectHandle loop = AddItem(b, root, {}, "Loop", "");
        loop.replaceKey("/Next", loop);
    });
    // A closed item (negative /Count) stays closed.
    ChangePdf(f.folder.file("C.pdf"), [](QPDF &c) {
        QPDFObjectHandle root = c.makeIndirectObject(QPDFObjectHandle::parse("<< >>"));
        c.getRoot().replaceKey("/Outlines", root);
        QPDFObjectHandle closed = AddItem(c, root, {}, "Closed", "/Dest [ null /Fit ] /Count -1");
        closed.getKey("/Dest").setArrayItem(0, c.getAllPages().front());
        AddItem(c, closed, {}, "Inside", "/Dest [ null /XYZ 1 2 3 ]")
            .getKey("/Dest")
            .setArrayItem(0, c.getAllPages().front());
    });

    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.keepBookmarks = true;
    CompileRun(f.ctx);
    const QStringList messages = f.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(f.folder.file("B.pdf") + ": has damaged bookmarks (its "
                                                                "items link round in a loop)"),
             qPrintable(messages.first()));
    QVERIFY(messages.first().contains(f.folder.file("B2 Broken.pdf")));
    QCOMPARE(OutlineTree(*ReadPdf(f.book())),
             QStringList({"0 A 0 /Fit /-4", "1 Intro 0 /XYZ 72 700 0", "1 Part 1 /Fit",
                          "2 Detail 2 /FitH 500", "1 Gone -", "0 B 3 /Fit", "0 C 5 /Fit /-1",
                          "1 Closed 5 /Fit /-1", "2 Inside 5 /XYZ 1 2 3"}));

    f.window.choices.keepBookmarks = false;
    CompileRun(f.ctx);
    QCOMPARE(OutlineTree(*ReadPdf(f.book())),
             QStringList({"0 A 0 /Fit", "0 B 3 /Fit", "0 C 5 /Fit"}));
}

void TestCompile::runStoresChoicesAndReportsAsItGoes()
{
    CompileFixture f({{"a.pdf", 1}, {"b.pdf", 1}, {"c.pdf", 1}});
    f.window.pdfList.SetTicked(1, false);
    f.window.bookName.SetText(QStringLiteral(" Spaced Book "));
    CompileRun(f.ctx);

    QCOMPARE(f.folder.read("Quirefold.INI"),
             QByteArray("[Settings]\r\nSlipSheet=1\r\nOutputName= Spaced Book \r\n"));
    QCOMPARE(f.folder.read("QFPDFIgnore.INI"), QByteArray("b.pdf\r\n"));
    QCOMPARE(f.ws.OutputFileName, QStringLiteral(" Spaced Book "));
    QCOMPARE(Outline(*ReadPdf(f.book(" Spaced Book "))), (Bookmarks{{"a", 0}, {"c", 2}}));

    const QStringList text1 = f.window.statusLine.history();
    QCOMPARE(text1.mid(0, 3), QStringList({"Collecting information for file:",
                                           "Creating Output File...", "Compiling PDF files..."}));
    QVERIFY(text1.last().startsWith(QLatin1String("Start Time: \t")));
    // Each ticked PDF as the run collects them; then, as the window takes it, where the job is,
    // the last PDF before the end.
    const QStringList files = f.window.fileLine.history();
    QCOMPARE(files.mid(0, 2), QStringList({"a.pdf", "c.pdf"}));
    QCOMPARE(files.at(files.size() - 2), QStringLiteral("c.pdf"));
    QVERIFY(f.window.fileLine.Text().startsWith(QLatin1String("Done Time: \t")));
    QVERIFY2(f.window.fileLine.Text().contains(
                 QString::fromUtf8(" \u2014 PDFCompile Output/ Spaced Book , 3 pages, ")),
             qPrintable(f.window.fileLine.Text()));
    QCOMPARE(f.window.compileBar.BarColor(), kBarRed);
    QCOMPARE(f.window.compileBar.Value(), 2);
    QCOMPARE(f.window.compileBar.Max(), 2);
    QCOMPARE(f.window.pdfList.Current(), 0);
    QCOMPARE(f.sound.played, 1);
}

// The job runs beside the window; the application told to quit meanwhile (a logout, say) still
// gets the whole run, whose end shows the book through the window's thread.
void TestCompile::runEndsBeforeTheApplication()
{
    CompileFixture f({{"a.pdf", 1}, {"b.pdf", 2}});
    bool ended = false;
    qf::CompileRun(f.ctx, [&] { ended = true; });
    QCoreApplication::processEvents(); // the job starts
    // The application's events are over: the job, which would wait on the window to show the
    // book, waits no longer, and ends before the application does.
    EndJobsBesideWindow();
    QCOMPARE(ReadPdf(f.book())->getAllPages().size(), size_t(4));
    QVERIFY(f.viewer.shown.isEmpty());
    QTest::qWait(20); // what the job had posted is left undone
    QVERIFY(f.viewer.shown.isEmpty());
    QVERIFY(!ended);
}

void TestCompile::titlesAreCutAtTheFirstDot()
{
    QCOMPARE(BookmarkTitle("Chapter 1.final.pdf"), QStringLiteral("Chapter 1"));
    QCOMPARE(BookmarkTitle(".pdf"), QString());
    QCOMPARE(BookmarkTitle("dir/Report.pdf"), QStringLiteral("Report"));
    CompileFixture f({{"Über – 概要.v2.pdf", 1}, {"Untitled.pdf", 2}, {"x.pdf", 1}});
    CompileRun(f.ctx);
    QCOMPARE(Outline(*ReadPdf(f.book())),
             (Bookmarks{{"Untitled", 0}, {"x", 2}, {"Über – 概要", 4}}));
}

void TestCompile::unreadablePdfsAreLeftOutAndNamed()
{
    CompileFixture f({{"a.pdf", 3}, {"c.pdf", 3}});
    f.folder.write("b.pdf", "not a PDF at all");
    MakeEncryptedPdf(f.folder.file("a.pdf"), f.folder.file("d.pdf"));
    for (const char *name : {"b.pdf", "d.pdf", "e.pdf"})
        f.window.pdfList.AddItem(name);
    for (int i = 0; i < f.window.pdfList.Count(); ++i)
        f.window.pdfList.SetTicked(i, true); // e.pdf is listed but has gone from the folder
    CompileRun(f.ctx);

    auto pdf = ReadPdf(f.book());
    QCOMPARE(Outline(*pdf), (Bookmarks{{"a", 0}, {"c", 4}}));
    QCOMPARE(pdf->getAllPages().size(), size_t(7)); // no blank sheet at the end for d or e
    QCOMPARE(f.messages().size(), 1);
    const QString message = f.messages().first();
    QVERIFY2(message.startsWith(QLatin1String("The book was made, but")), qPrintable(message));
    for (const char *expected :
         {"b.pdf: is damaged or not a PDF file", "d.pdf: is encrypted", "e.pdf: no longer exists"})
        QVERIFY2(message.contains(QLatin1String(expected)), qPrintable(message));
}

void TestCompile::pdfsThatNeedAPasswordAreFound_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("needs");
    QTest::newRow("plain") << "plain.pdf" << false;
    QTest::newRow("user password") << "locked.pdf" << true;
    // Its trailer in a table, or in a stream, or first in a linearized file.
    QTest::newRow("user password, table") << "locked table.pdf" << true;
    QTest::newRow("user password, stream") << "locked stream.pdf" << true;
    QTest::newRow("user password, linearized") << "locked linearized.pdf" << true;
    QTest::newRow("owner password only") << "restricted.pdf" << false;
    QTest::newRow("not a PDF") << "text.pdf" << false;
    QTest::newRow("vanished") << "gone.pdf" << false;
}

void TestCompile::pdfsThatNeedAPasswordAreFound()
{
    QFETCH(QString, name);
    QFETCH(bool, needs);
    TestFolder folder;
    MakePdf(folder.file("plain.pdf"), 1);
    MakeEncryptedPdf(folder.file("plain.pdf"), folder.file("locked.pdf"));
    for (const auto &[file, how] : {std::pair{"locked table.pdf", "--object-streams=disable"},
                                    {"locked stream.pdf", "--object-streams=generate"},
                                    {"locked linearized.pdf", "--linearize"}})
        QCOMPARE(RunQpdf({how, "--encrypt", "user", "owner", "256", "--", folder.file("plain.pdf"),
                          folder.file(file)}),
                 0);
    QCOMPARE(RunQpdf({"--encrypt", "", "owner", "256", "--", folder.file("plain.pdf"),
                      folder.file("restricted.pdf")}),
             0);
    folder.write("text.pdf", "Dear reader,\nthis is not a PDF.\n");
    CompileRequest request;
    request.workingFolder = folder.path();
    request.names = {name, "plain.pdf"};
    QCOMPARE(NeedingPassword(request), needs ? QStringList{name} : QStringList{});
}

void TestCompile::nothingTickedWritesNothing()
{
    CompileFixture f({{"a.pdf", 1}});
    QDir().mkpath(f.folder.file("PDFCompile Output"));
    f.folder.write("PDFCompile Output/Book.pdf", "earlier book");
    f.window.pdfList.SetTicked(0, false);
    CompileRun(f.ctx);
    QCOMPARE(f.folder.read("PDFCompile Output/Book.pdf"), QByteArray("earlier book"));
    QCOMPARE(f.messages().size(), 1);
    QVERIFY(f.messages().first().contains(QLatin1String("No PDF file is ticked")));
    QVERIFY(f.viewer.shown.isEmpty());
    QCOMPARE(f.sound.played, 1);
}

void TestCompile::outputNameMustBeAPlainFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("a path") << "../a.pdf";
    QTest::newRow("absolute") << "/tmp/x.pdf";
}

void TestCompile::outputNameMustBeAPlainFileName()
{
    QFETCH(QString, name);
    CompileFixture f({{"a.pdf", 1}});
    f.window.bookName.SetText(name);
    CompileRun(f.ctx);
    QCOMPARE(f.messages().size(), 1);
    QVERIFY2(f.messages().first().contains(QLatin1String("is not a plain file name")),
             qPrintable(f.messages().first()));
    QVERIFY(!f.folder.exists("PDFCompile Output"));
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files),
             QStringList({"a.pdf", "QFDOCIgnore.INI", "QFPDFIgnore.INI", "Quirefold.INI"}));
}

void TestCompile::bookThatCannotBeWrittenLeavesNoFile()
{
    CompileFixture f({{"a.pdf", 1}});
    QDir().mkpath(f.book()); // a folder holds the book's name
    CompileRun(f.ctx);
    QCOMPARE(f.messages().size(), 1);
    QVERIFY(f.messages().first().startsWith(QLatin1String("No book was made.")));
    QVERIFY(f.messages().first().contains(f.book() + QLatin1String(": is a folder")));
    QCOMPARE(QDir(f.folder.file("PDFCompile Output")).entryList(QDir::Files | QDir::Hidden),
             QStringList());

    CompileFixture g({{"a.pdf", 1}});
    g.folder.write("PDFCompile Output"); // a file where the output folder belongs
    CompileRun(g.ctx);
    QVERIFY(g.messages().first().contains(QLatin1String("the output folder could not be made")));

    // No page can go in: the book of an earlier run stays as it was.
    CompileFixture h({});
    h.folder.write("broken.pdf", "not a PDF");
    h.window.pdfList.AddItem("broken.pdf");
    h.window.pdfList.SetTicked(0, true);
    QDir().mkpath(h.folder.file("PDFCompile Output"));
    h.folder.write("PDFCompile Output/Book.pdf", "earlier book");
    CompileRun(h.ctx);
    QVERIFY(h.messages().first().startsWith(QLatin1String("No book was made.")));
    QCOMPARE(h.folder.read("PDFCompile Output/Book.pdf"), QByteArray("earlier book"));
}

void TestCompile::oldBookIsReplaced()
{
    CompileFixture f({{"a.pdf", 2}});
    QDir().mkpath(f.folder.file("PDFCompile Output"));
    f.folder.write("PDFCompile Output/Book.pdf", "earlier book");
    f.folder.write("PDFCompile Output/Book.pdf.bak", "kept");
    CompileRun(f.ctx);
    QCOMPARE(ReadPdf(f.book())->getAllPages().size(), size_t(2));
    QCOMPARE(f.folder.read("PDFCompile Output/Book.pdf.bak"), QByteArray("kept"));
}

namespace {

// A page that shows an image with a soft mask and text in an embedded font; change alters one
// byte of the image.
// A letter with a logo: the shared one, one a byte apart, or the shared one's bytes laid out
// wider; drawn directly or through a form XObject.
enum class Logo { Shared, ByteApart, Wider };
void MakeImagePage(const QString &path, Logo logo, const std::string &version,
                   bool throughForm = false)
{
    QPDF pdf;
    pdf.emptyPDF();
    std::string pixels, mask;
    for (int i = 0; i < 16 * 16; ++i) {
        pixels += {char(i * 7), char(i * 13), char(255 - i)};
        mask += char(i % 2 ? 255 : 128);
    }
    if (logo == Logo::ByteApart)
        pixels[100] = char(pixels[100] + 1);
    const std::string size = logo == Logo::Wider ? "/Width 32 /Height 8" : "/Width 16 /Height 16";
    QPDFObjectHandle softMask = pdf.newStream(mask);
    softMask.replaceDict(
        QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Image " + size +
                                " /ColorSpace /DeviceGray /BitsPerComponent 8 >>"));
    QPDFObjectHandle image = pdf.newStream(pixels);
    image.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Image " + size +
                                              " /ColorSpace /DeviceRGB /BitsPerComponent 8 >>"));
    image.getDict().replaceKey("/SMask", softMask);
    QFile ttf("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    QVERIFY(ttf.open(QIODevice::ReadOnly));
    QPDFObjectHandle fontFile = pdf.newStream(ttf.readAll().toStdString());
    QPDFObjectHandle font = QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /TrueType /BaseFont /DejaVuSans /FirstChar 32 /LastChar 126 "
        "/Encoding /WinAnsiEncoding /FontDescriptor << /Type /FontDescriptor /FontName "
        "/DejaVuSans /Flags 32 /FontBBox [ -1021 -463 1793 1232 ] /ItalicAngle 0 /Ascent 928 "
        "/Descent -236 /CapHeight 700 /StemV 80 >> >>");
    QPDFObjectHandle widths = QPDFObjectHandle::newArray();
    for (int c = 32; c <= 126; ++c)
        widths.appendItem(QPDFObjectHandle::newInteger(600));
    font.replaceKey("/Widths", widths);
    font.getKey("/FontDescriptor").replaceKey("/FontFile2", fontFile);
    auto page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 300 300] >>"));
    QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /XObject << >> /Font << >> >>");
    if (throughForm) {
        // The same bytes in every such form; only what its resources name differs.
        QPDFObjectHandle form = pdf.newStream("q 100 0 0 100 50 150 cm /Im1 Do Q");
        form.replaceDict(QPDFObjectHandle::parse(
            "<< /Type /XObject /Subtype /Form /BBox [0 0 300 300] /Resources << /XObject << >> "
            ">> >>"));
        form.getDict().getKey("/Resources").getKey("/XObject").replaceKey("/Im1", image);
        image = form;
    }
    resources.getKey("/XObject").replaceKey("/Im1", image);
    resources.getKey("/Font").replaceKey("/F1", pdf.makeIndirectObject(font));
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", pdf.newStream("q 100 0 0 100 50 150 cm /Im1 Do Q BT /F1 24 Tf "
                                               "50 80 Td (Shared) Tj ET"));
    pdf.addPage(page, false);
    const QByteArray target = QFile::encodeName(path);
    QPDFWriter writer(pdf, target.constData());
    writer.setMinimumPDFVersion(version);
    writer.write();
}

QByteArray Rendered(const QStringList &command)
{
    QProcess render;
    render.start(command.first(), command.mid(1));
    render.waitForFinished(60000);
    return render.readAllStandardOutput();
}

} // namespace

void TestCompile::identicalStreamsAreKeptOnce_data()
{
    QTest::addColumn<std::string>("version");     // the sources'
    QTest::addColumn<std::string>("lastVersion"); // the last source's
    QTest::addColumn<bool>("compact");            // the folder's choice
    QTest::addColumn<bool>("linearized");
    QTest::addColumn<bool>("objectStreams"); // in the book
    QTest::newRow("PDF 1.7") << std::string("1.7") << std::string("1.7") << true << false << true;
    QTest::newRow("PDF 1.7, linearized")
        << std::string("1.7") << std::string("1.7") << true << true << true;
    QTest::newRow("PDF 1.7, CompactBook=0")
        << std::string("1.7") << std::string("1.7") << false << false << false;
    QTest::newRow("PDF 1.3") << std::string("1.3") << std::string("1.3") << true << false << false;
    // The header, written before the last source was read, says its version in the end.
    QTest::newRow("PDF 1.3, the last 2.0")
        << std::string("1.3") << std::string("2.0") << true << false << true;
    QTest::newRow("PDF 1.3, the last 1.6, CompactBook=0")
        << std::string("1.3") << std::string("1.6") << false << false << false;
}

void TestCompile::identicalStreamsAreKeptOnce()
{
    QFETCH(std::string, version);
    QFETCH(std::string, lastVersion);
    QFETCH(bool, compact);
    QFETCH(bool, linearized);
    QFETCH(bool, objectStreams);
    // Three letters share a logo and a font; the fourth's logo differs by one byte, the fifth's
    // is the shared logo's bytes laid out wider. The last two draw the shared logo and the one a
    // byte apart through forms of the same bytes.
    CompileFixture f({});
    const QStringList names = {"a.pdf",      "b.pdf",      "c.pdf",     "d-near.pdf",
                               "e-wide.pdf", "f-form.pdf", "g-form.pdf"}; // as the list sorts them
    const QList<Logo> logos = {Logo::Shared, Logo::Shared, Logo::Shared,   Logo::ByteApart,
                               Logo::Wider,  Logo::Shared, Logo::ByteApart};
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        MakeImagePage(f.folder.file(name), logos.at(i),
                      name == names.last() ? lastVersion : version, name.endsWith("form.pdf"));
        f.window.pdfList.AddItem(name);
    }
    for (int i = 0; i < f.window.pdfList.Count(); ++i)
        f.window.pdfList.SetTicked(i, true);
    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.compactBook = compact;
    f.window.choices.linearized = linearized;
    CompileRun(f.ctx);
    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
    QCOMPARE(RunQpdf({"--check", f.book()}), 0);
    const QByteArray written = f.folder.read("PDFCompile Output/Book.pdf");
    QByteArray linearization;
    QCOMPARE(RunQpdf({"--check-linearization", f.book()}, &linearization), 0);
    QCOMPARE(linearization.contains("no linearization errors"), linearized);
    QCOMPARE(written.left(1024).contains("/Linearized"), linearized);
    QCOMPARE(written.contains("/ObjStm"), objectStreams);
    QVERIFY(written.startsWith("%PDF-" + QByteArray::fromStdString(lastVersion)));
    QVERIFY(!written.contains("/Version")); // the header says it

    auto book = ReadPdf(f.book());
    QCOMPARE(book->getAllPages().size(), size_t(names.size()));
    const auto streamOf = [&](int page, const char *resource, const char *name) {
        QPDFObjectHandle at = book->getAllPages().at(size_t(page));
        return at.getKey("/Resources").getKey(resource).getKey(name);
    };
    std::set<QPDFObjGen> images, masks, fonts;
    for (int page = 0; page < 4; ++page) {
        images.insert(streamOf(page, "/XObject", "/Im1").getObjGen());
        masks.insert(streamOf(page, "/XObject", "/Im1").getDict().getKey("/SMask").getObjGen());
        fonts.insert(streamOf(page, "/Font", "/F1")
                         .getKey("/FontDescriptor")
                         .getKey("/FontFile2")
                         .getObjGen());
    }
    QCOMPARE(images.size(), size_t(2)); // the shared logo, and the one a byte apart
    QCOMPARE(masks.size(), size_t(1));
    QCOMPARE(fonts.size(), size_t(1));
    QVERIFY(streamOf(3, "/XObject", "/Im1").getObjGen() !=
            streamOf(0, "/XObject", "/Im1").getObjGen());
    // The same bytes under another dictionary are another stream.
    QVERIFY(streamOf(4, "/XObject", "/Im1").getObjGen() !=
            streamOf(0, "/XObject", "/Im1").getObjGen());
    QVERIFY(streamOf(5, "/XObject", "/Im1").getObjGen() !=
            streamOf(6, "/XObject", "/Im1").getObjGen());

    // Each page shows as its source does, in Poppler and in MuPDF.
    for (int page = 0; page < int(names.size()); ++page) {
        const QString source = f.folder.file(names.at(page)), n = QString::number(page + 1);
        QCOMPARE(Rendered({"pdftoppm", "-r", "36", "-f", n, "-l", n, f.book()}),
                 Rendered({"pdftoppm", "-r", "36", source}));
        QCOMPARE(
            Rendered({"mutool", "draw", "-q", "-r", "36", "-F", "pnm", "-o", "-", f.book(), n}),
            Rendered({"mutool", "draw", "-q", "-r", "36", "-F", "pnm", "-o", "-", source, "1"}));
    }
}

namespace {

// The book of names in folder, with request's choices, as a run with no viewer makes it.
CompileResult CompileIn(const TestFolder &folder, const QStringList &names,
                        CompileRequest request = {})
{
    request.workingFolder = folder.path();
    request.names = names;
    request.bookName = "Book.pdf";
    request.programFolder = QStringLiteral(QUIREFOLD_PROGRAM_FOLDER);
    NoBookViewer viewer;
    SilentObserver observer;
    return CompileBook(request, observer, viewer);
}

} // namespace

void TestCompile::pagesTakeTheChosenSize_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("box");  // the source page's media box
    QTest::addColumn<QString>("crop"); // its crop box, if any
    QTest::addColumn<int>("rotate");
    QTest::addColumn<QSizeF>("shown"); // the book's page, as shown
    const QSizeF a4(595.276, 841.89), letter(612, 792);
    QTest::newRow("A4 stays") << "A4"
                              << "0 0 595.276 841.89"
                              << "" << 0 << a4;
    QTest::newRow("within 2 points stays") << "A4"
                                           << "0 0 597 843"
                                           << "" << 0 << QSizeF(597, 843);
    QTest::newRow("Letter down onto A4") << "A4"
                                         << "0 0 612 792"
                                         << "" << 0 << a4;
    QTest::newRow("A3 landscape onto A4 landscape") << "A4"
                                                    << "0 0 1190.55 841.89"
                                                    << "" << 0 << a4.transposed();
    QTest::newRow("A5 up onto Letter") << "Letter"
                                       << "0 0 419.53 595.276"
                                       << "" << 0 << letter;
    QTest::newRow("turned, off the origin, shown landscape") << "A4"
                                                             << "100 50 519.53 645.276"
                                                             << "" << 90 << a4.transposed();
    QTest::newRow("a figure's crop box up onto Letter")
        << "Letter"
        << "0 0 400 400"
        << "50 100 263 242" << 0 << letter.transposed();
}

void TestCompile::pagesTakeTheChosenSize()
{
    QFETCH(QString, size);
    QFETCH(QString, box);
    QFETCH(QString, crop);
    QFETCH(int, rotate);
    QFETCH(QSizeF, shown);
    // A square in the middle of the page, a link over it to a place at its corner, and a named
    // place there: all of them scaled with the page, the square drawn as before, centred. A place
    // that names no height is no damage. What the page draws outside its crop box stays unseen.
    TestFolder folder;
    QPDF source;
    source.emptyPDF();
    const QStringList corners = (crop.isEmpty() ? box : crop).split(' ');
    const double x = (corners[0].toDouble() + corners[2].toDouble()) / 2 - 20;
    const double y = (corners[1].toDouble() + corners[3].toDouble()) / 2 - 20;
    QPDFObjectHandle page = source.makeIndirectObject(QPDFObjectHandle::parse(
        QString("<< /Type /Page /MediaBox [%1] %2 /Rotate %3 /Resources << >> >>")
            .arg(box, crop.isEmpty() ? QString() : "/CropBox [" + crop + "]")
            .arg(rotate)
            .toStdString()));
    QString content = QString("0 g %1 %2 40 40 re f").arg(x).arg(y);
    if (!crop.isEmpty())
        content += QString(" 0 %1 400 40 re f").arg(corners[3].toDouble() + 5);
    page.replaceKey("/Contents", source.newStream(content.toStdString()));
    source.addPage(page, false);
    page = source.getAllPages().front();
    const QString place =
        QString("[%1 /XYZ %2 %3 0]").arg(page.unparse().c_str()).arg(x).arg(y + 40);
    page.replaceKey("/Annots", QPDFObjectHandle::parse(
                                   &source, QString("[<< /Type /Annot /Subtype /Link /Rect "
                                                    "[%1 %2 %3 %4] /A << /S /GoTo /D %5 >> >>]")
                                                .arg(x)
                                                .arg(y)
                                                .arg(x + 40)
                                                .arg(y + 40)
                                                .arg(place)
                                                .toStdString()));
    source.getRoot().replaceKey(
        "/Dests", QPDFObjectHandle::parse(&source, ("<< /mark " + place + " /short [" +
                                                    page.unparse().c_str() + " /FitH] >>")
                                                       .toStdString()));
    const QByteArray target = QFile::encodeName(folder.file("A.pdf"));
    QPDFWriter writer(source, target.constData()); // keeps the name, not a copy
    writer.write();

    CompileRequest request;
    request.pageFit = PageFit::Named(size);
    const CompileResult result = CompileIn(folder, {"A.pdf"}, request);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    const bool scaled = box != "0 0 595.276 841.89" && box != "0 0 597 843";
    QCOMPARE(result.scaledPages, scaled ? 1 : 0);
    QCOMPARE(RunQpdf({"--check", result.book}), 0);

    auto book = ReadPdf(result.book);
    QPDFPageObjectHelper bookPage(book->getAllPages().front());
    const ShownPage onBook = Shown(bookPage);
    QVERIFY2(std::abs(onBook.width - shown.width()) < 0.01 &&
                 std::abs(onBook.height - shown.height()) < 0.01,
             qPrintable(QString("%1 x %2").arg(onBook.width).arg(onBook.height)));
    // The link covers the square, in the middle; its place and the named one at its corner.
    const QPDFObjectHandle::Rectangle media =
        bookPage.getAttribute("/MediaBox", false).getArrayAsRectangle();
    QPDFObjectHandle link = bookPage.getObjectHandle().getKey("/Annots").getArrayItem(0);
    const QPDFObjectHandle::Rectangle rect = link.getKey("/Rect").getArrayAsRectangle();
    QVERIFY(std::abs((rect.llx + rect.urx) - (media.llx + media.urx)) < 0.01);
    QVERIFY(std::abs((rect.lly + rect.ury) - (media.lly + media.ury)) < 0.01);
    QVERIFY(std::abs((rect.urx - rect.llx) - (rect.ury - rect.lly)) < 0.01);
    QCOMPARE(std::abs(rect.urx - rect.llx - 40) > 0.01, scaled);
    QPDFObjectHandle dests = book->getRoot().getKey("/Names").getKey("/Dests").getKey("/Names");
    for (QPDFObjectHandle dest :
         {link.getKey("/A").getKey("/D"), dests.getArrayItem(1).isDictionary()
                                              ? dests.getArrayItem(1).getKey("/D")
                                              : dests.getArrayItem(1)}) {
        QVERIFY2(std::abs(dest.getArrayItem(2).getNumericValue() - rect.llx) < 0.01 &&
                     std::abs(dest.getArrayItem(3).getNumericValue() - rect.ury) < 0.01,
                 dest.unparse().c_str());
    }
    // Viewers take the link where it led.
    const QString scripts = QStringLiteral(QUIREFOLD_SOURCE_FOLDER "/tests/viewers/");
    QList<QStringList> viewers = {{"/usr/bin/python3", scripts + "links_poppler.py"},
                                  {"mutool", "run", scripts + "links_mupdf.js"}};
    if (QFileInfo::exists(scripts + "node_modules/pdfjs-dist"))
        viewers.append({"node", scripts + "links_pdfjs.mjs"});
    for (const QStringList &command : viewers)
        QCOMPARE(ProgramOutput(command[0], command.mid(1) << result.book << "0").trimmed(),
                 QString("0"));
    // Drawn: dark in the middle, light just outside the square as scaled.
    const QString image = folder.file("page");
    ProgramOutput("pdftoppm", {"-r", "36", "-gray", "-png", "-singlefile", result.book, image});
    const QImage drawn(image + ".png");
    QCOMPARE(drawn.size(), QSize(qRound(shown.width() / 2), qRound(shown.height() / 2)));
    const QPoint middle(drawn.width() / 2, drawn.height() / 2);
    const int half = qRound((rect.urx - rect.llx) / 4); // half the square, at 36 dpi
    QVERIFY(qGray(drawn.pixel(middle)) < 64);
    for (int row = 0; row < drawn.height(); ++row)
        for (int column = 0; column < drawn.width(); ++column)
            if (std::abs(row - middle.y()) > half + 2 || std::abs(column - middle.x()) > half + 2)
                QVERIFY2(qGray(drawn.pixel(column, row)) > 192,
                         qPrintable(QString("dark at %1, %2").arg(column).arg(row)));
}

void TestCompile::bundleTakesTheChosenSize()
{
    // The folder's file chose Letter: the index, the blank sheets and the pages all take it.
    TestFolder folder;
    MakePdf(folder.file("a.pdf"), 1);
    MakePdf(folder.file("b.pdf"), 1, 50);
    folder.write("Quirefold.INI", "[Settings]\nPageSize=letter\nForFiling=1\n");
    const FolderSettings settings = ReadFolderSettings(folder.file("Quirefold.INI"));
    QCOMPARE(settings.choices.pageSize, QString("Letter"));
    QVERIFY(settings.choices.forFiling);
    CompileRequest request;
    TakeBookChoices(request, settings.choices);
    request.blankSheets = true;
    request.indexPage = true;
    const CompileResult result = CompileIn(folder, {"a.pdf", "b.pdf"}, request);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    QCOMPARE(result.layout.TotalPages(), 5); // the index and its sheet, a, a sheet, b
    auto book = ReadPdf(result.book);
    for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(*book).getAllPages()) {
        const ShownPage shown = Shown(page);
        QVERIFY2(std::abs(shown.width - 612) < 0.01 && std::abs(shown.height - 792) < 0.01,
                 qPrintable(QString("%1 x %2").arg(shown.width).arg(shown.height)));
    }
}

void TestCompile::spotsOnAScaledPageMoveWithIt_data()
{
    // A mark on A.pdf's page, or a link from B.pdf to it, names the corners of a square on that
    // page: L, R, B, T its left, right, bottom and top, P the page. An A5 page goes onto Letter.
    QTest::addColumn<QString>("holder"); // the PDF whose page holds the mark
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QStringList>("path"); // to the array that names the corners
    QTest::addColumn<bool>("numbered");    // the pages shrunk for their numbers as well
    const QStringList destination{"/A", "/D"};
    QTest::newRow("highlight") << "A.pdf"
                               << "/Subtype /Highlight /QuadPoints [L T R T L B R B]"
                               << QStringList{"/QuadPoints"} << false;
    QTest::newRow("ink") << "A.pdf"
                         << "/Subtype /Ink /InkList [[L B R T] [L T R B]]"
                         << QStringList{"/InkList"} << false;
    QTest::newRow("link, /FitH") << "A.pdf"
                                 << "/Subtype /Link /A << /S /GoTo /D [P /FitH T] >>" << destination
                                 << false;
    QTest::newRow("link, /FitBH") << "A.pdf"
                                  << "/Subtype /Link /A << /S /GoTo /D [P /FitBH T] >>"
                                  << destination << false;
    QTest::newRow("link, /FitR") << "A.pdf"
                                 << "/Subtype /Link /A << /S /GoTo /D [P /FitR L B R T] >>"
                                 << destination << false;
    QTest::newRow("other PDF, /XYZ")
        << "B.pdf"
        << "/Subtype /Link /A << /S /GoToR /F (A.pdf) /D [P /XYZ L T null] >>" << destination
        << false;
    QTest::newRow("other PDF, /FitH") << "B.pdf"
                                      << "/Subtype /Link /A << /S /GoToR /F (A.pdf) /D [P /FitH "
                                         "T] /NewWindow true >>"
                                      << destination << false;
    QTest::newRow("other PDF, /FitR")
        << "B.pdf"
        << "/Subtype /Link /A << /S /GoToR /F (A.pdf) /D [P /FitR L B R T] >>" << destination
        << false;
    QTest::newRow("other PDF, shrunk for its number")
        << "B.pdf"
        << "/Subtype /Link /A << /S /GoToR /F (A.pdf) /D [P /XYZ L T 0] >>" << destination << true;
}

namespace {

// The corners' letters in text as the numbers of rect, P as page.
std::string Cornered(const QString &text, const QPDFObjectHandle::Rectangle &rect,
                     const QString &page)
{
    const QMap<QString, QString> values{{"L", QString::number(rect.llx, 'f', 4)},
                                        {"R", QString::number(rect.urx, 'f', 4)},
                                        {"B", QString::number(rect.lly, 'f', 4)},
                                        {"T", QString::number(rect.ury, 'f', 4)},
                                        {"P", page}};
    QString result;
    qsizetype from = 0;
    static const QRegularExpression letter("\\b[LRBTP]\\b");
    for (const QRegularExpressionMatch &match : letter.globalMatch(text)) {
        result += text.mid(from, match.capturedStart() - from) + values.value(match.captured());
        from = match.capturedEnd();
    }
    return (result + text.mid(from)).toStdString();
}

// The differences of found from expected, numbers within 0.01; an expected 0 before a
// destination's kind is the book's first page.
QStringList Differences(QPDFObjectHandle found, QPDFObjectHandle expected, QPDFObjectHandle page)
{
    if (expected.isArray() && found.isArray() &&
        expected.getArrayNItems() == found.getArrayNItems()) {
        QStringList differences;
        for (int i = 0; i < expected.getArrayNItems(); ++i)
            if (i == 0 && expected.getArrayNItems() > 1 && expected.getArrayItem(1).isName()) {
                if (!found.getArrayItem(0).isSameObjectAs(page))
                    differences << "not the page: " + QString::fromStdString(found.unparse());
            } else {
                differences << Differences(found.getArrayItem(i), expected.getArrayItem(i), page);
            }
        return differences;
    }
    if (expected.isNumber() && found.isNumber() &&
        std::abs(expected.getNumericValue() - found.getNumericValue()) < 0.01)
        return {};
    if (!expected.isNumber() && expected.unparse() == found.unparse())
        return {};
    return {QString::fromStdString(found.unparse() + " for " + expected.unparse())};
}

} // namespace

void TestCompile::spotsOnAScaledPageMoveWithIt()
{
    QFETCH(QString, holder);
    QFETCH(QString, mark);
    QFETCH(QStringList, path);
    QFETCH(bool, numbered);
    // A square annotation over the square shows where it is in the book.
    TestFolder folder;
    const QPDFObjectHandle::Rectangle square(100, 300, 140, 340);
    for (const QString name : {"A.pdf", "B.pdf"}) {
        QPDF source;
        source.emptyPDF();
        QPDFObjectHandle page = source.makeIndirectObject(QPDFObjectHandle::parse(
            name == "A.pdf" ? "<< /Type /Page /MediaBox [0 0 419.53 595.276] /Resources << >> >>"
                            : "<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>"));
        page.replaceKey("/Contents", source.newStream("0 g 100 300 40 40 re f"));
        source.addPage(page, false);
        page = source.getAllPages().front();
        QString annotations;
        if (name == "A.pdf")
            annotations += "<< /Type /Annot /Subtype /Square /Rect [100 300 140 340] >>";
        if (name == holder)
            annotations += "<< /Type /Annot /Rect [100 300 140 340] " + mark + " >>";
        const QString pageText = name == holder && holder == "A.pdf"
                                     ? QString::fromStdString(page.unparse())
                                     : QString("0");
        page.replaceKey(
            "/Annots",
            QPDFObjectHandle::parse(&source, Cornered("[" + annotations + "]", square, pageText)));
        const QByteArray target = QFile::encodeName(folder.file(name));
        QPDFWriter writer(source, target.constData());
        writer.write();
    }

    CompileRequest request;
    request.pageFit = PageFit::Named("Letter");
    if (numbered) {
        request.pageNumbers = "{n}";
        request.numberRoom = kRoomAlways;
    }
    const CompileResult result = CompileIn(folder, {"A.pdf", "B.pdf"}, request);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    QCOMPARE(result.scaledPages, 1);
    auto book = ReadPdf(result.book);
    std::vector<QPDFObjectHandle> pages = book->getAllPages();
    QPDFObjectHandle squareOnBook = pages.at(0).getKey("/Annots").getArrayItem(0);
    QCOMPARE(squareOnBook.getKey("/Subtype").getName(), std::string("/Square"));
    const QPDFObjectHandle::Rectangle moved = squareOnBook.getKey("/Rect").getArrayAsRectangle();
    QVERIFY2(std::abs(moved.urx - moved.llx - 40) > 1, "the page was not scaled");
    QPDFObjectHandle annotation =
        pages.at(holder == "A.pdf" ? 0 : 1).getKey("/Annots").getArrayItem(holder == "A.pdf");
    // A link to the other PDF leads inside the book.
    if (holder == "B.pdf")
        QCOMPARE(annotation.getKey("/A").unparse().find("/GoToR"), std::string::npos);
    QPDFObjectHandle found = annotation;
    QPDFObjectHandle expected = QPDFObjectHandle::parse(Cornered("<< " + mark + " >>", moved, "0"));
    for (const QString &key : path) {
        found = found.getKey(key.toStdString());
        expected = expected.getKey(key.toStdString());
    }
    const QStringList differences = Differences(found, expected, pages.at(0));
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join("; ")));
}

void TestCompile::fieldsDrawnForViewersKeepTheirValues_data()
{
    QTest::addColumn<bool>("large"); // a source whose data the book reads again as it writes
    QTest::addColumn<bool>("forFiling");
    QTest::newRow("in the book") << false << false;
    QTest::newRow("read again as the book is written") << true << false;
    QTest::newRow("flattened in the filing copy") << false << true;
}

void TestCompile::fieldsDrawnForViewersKeepTheirValues()
{
    QFETCH(bool, large);
    QFETCH(bool, forFiling);
    // A field as an office writes it: its value, an empty appearance, and viewers asked to draw
    // it. The book shows the value, however often it reads the appearance.
    TestFolder folder;
    QPDF source;
    source.emptyPDF();
    QPDFObjectHandle page = source.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /XObject << >> >> >>"));
    std::string content = "0 g 72 72 200 24 re S";
    if (large) {
        // Drawn before the field, with more data than the book holds from reading to writing.
        std::string noise(6 << 20, '\0');
        QRandomGenerator random(7);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), int(noise.size() / 4));
        QPDFObjectHandle image = source.newStream(noise);
        image.replaceDict(QPDFObjectHandle::parse(
            "<< /Type /XObject /Subtype /Image /Width 2048 /Height 3072 /ColorSpace /DeviceGray "
            "/BitsPerComponent 8 >>"));
        page.getKey("/Resources").getKey("/XObject").replaceKey("/Im", image);
        content += " q 100 0 0 100 300 600 cm /Im Do Q";
    }
    page.replaceKey("/Contents", source.newStream(content));
    source.addPage(page, false);
    page = source.getAllPages().front();
    QPDFObjectHandle look = source.newStream("/Tx BMC\nEMC\n");
    look.replaceDict(QPDFObjectHandle::parse(
        "<< /Type /XObject /Subtype /Form /BBox [0 0 200 24] /Resources << >> >>"));
    QPDFObjectHandle field = source.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /V (Jane Example) /DA (0 g /He 10 Tf) "
        "/F 4 /Rect [72 72 272 96] >>"));
    field.replaceKey("/P", page);
    field.replaceKey("/AP", QPDFObjectHandle::newDictionary({{"/N", look}}));
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({field}));
    QPDFObjectHandle form = QPDFObjectHandle::parse(
        "<< /NeedAppearances true /DR << /Font << /He << /Type /Font /Subtype /Type1 /BaseFont "
        "/Helvetica >> >> >> >>");
    form.replaceKey("/Fields", QPDFObjectHandle::newArray({field}));
    source.getRoot().replaceKey("/AcroForm", source.makeIndirectObject(form));
    const QByteArray target = QFile::encodeName(folder.file("Form.pdf"));
    QPDFWriter writer(source, target.constData());
    // Compressed, as offices write it, the field's appearance is read once more to test it.
    writer.setCompressStreams(!large);
    writer.write();

    CompileRequest request;
    request.forFiling = forFiling;
    const CompileResult result = CompileIn(folder, {"Form.pdf"}, request);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    auto book = ReadPdf(result.book);
    std::string shown;
    if (forFiling) {
        shown = ProgramOutput("pdftotext", {result.book, "-"}).toStdString();
    } else {
        QPDFObjectHandle first = book->getAllPages().front();
        QPDFObjectHandle widget = first.getKey("/Annots").getArrayItem(0);
        std::shared_ptr<Buffer> data =
            widget.getKey("/AP").getKey("/N").getStreamData(qpdf_dl_generalized);
        shown.assign(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
    }
    QVERIFY2(shown.find("Jane Example") != std::string::npos, shown.c_str());
}

void TestCompile::endMessageSaysWhatTheRunDid_data()
{
    QTest::addColumn<QString>("volumeLimit");
    QTest::addColumn<bool>("forFiling");
    QTest::addColumn<QString>("said"); // the one message, shown once the run has ended
    QTest::newRow("a PDF alone over the volume limit")
        << "2 pages" << false
        << "The book was made, but not everything went well:\n\n1 PDF is larger than a volume "
           "may be (2 pages), so it makes a volume of its own: b.pdf";
    QTest::newRow("a filing copy's changes")
        << "" << true
        << "For filing, the book changed its PDFs:\nb.pdf: its restrictions were not carried "
           "into the book";
}

void TestCompile::endMessageSaysWhatTheRunDid()
{
    QFETCH(QString, volumeLimit);
    QFETCH(bool, forFiling);
    QFETCH(QString, said);
    CompileFixture f({{"a.pdf", 1}, {"b.pdf", 3}, {"c.pdf", 1}});
    if (forFiling) { // restricted, as a filing copy cannot keep it
        const QString locked = f.folder.file("locked.pdf");
        QCOMPARE(RunQpdf({"--encrypt", "", "owner", "256", "--print=none", "--",
                          f.folder.file("b.pdf"), locked}),
                 0);
        QVERIFY(QFile::remove(f.folder.file("b.pdf")) &&
                QFile::rename(locked, f.folder.file("b.pdf")));
    }
    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.volumeLimit = volumeLimit;
    f.window.choices.forFiling = forFiling;
    CompileRun(f.ctx);
    QCOMPARE(f.messages(), QStringList{said});
}

QTEST_GUILESS_MAIN(TestCompile)
#include "test_compile.moc"
