#include "app/FolderWindow.h"
#include "app/ProgressBarColor.h"
#include "app/QtControls.h"
#include "app/Twips.h"
#include "app/WindowCommand.h"
#include "runs/StartUp.h"
#include "support/MemoryWindow.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QThread>
#include <QTimer>

#include <memory>

using namespace qf;

namespace {

// A started window on a folder, with messages recorded instead of shown.
struct Started {
    Workspace ws;
    std::unique_ptr<FolderWindow> form;
    RecordingMessageBox messages;
    Problems problems;

    explicit Started(const QStringList &arguments) : ws(Workspace::FromArguments(arguments))
    {
        form = std::make_unique<FolderWindow>(ws);
        form->SetMessageBox(&messages);
        problems = StartUp(ws, *form, [this] { form->ShowCentred(); });
        QApplication::setActiveWindow(form.get());
    }

    template <typename W = QWidget> W *get(const char *name) const
    {
        auto *w = form->findChild<W *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    // Clicks a run's button and takes the events until the window says the run has ended.
    void run(const char *name) const
    {
        QSignalSpy ended(form.get(), &FolderWindow::RunEnded);
        click(name);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 300000);
        QVERIFY(!form->Running());
    }
    QStringList names(const char *list) const
    {
        QStringList out;
        auto *w = get<QListWidget>(list);
        for (int i = 0; i < w->count(); ++i)
            out << w->item(i)->text();
        return out;
    }
    QStringList ticked(const char *list) const
    {
        QStringList out;
        auto *w = get<QListWidget>(list);
        for (int i = 0; i < w->count(); ++i)
            if (w->item(i)->checkState() == Qt::Checked)
                out << w->item(i)->text();
        return out;
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        // Removed PDFs go to a trash of the test's own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome_.path()));
    }
    void commandLineIsAFolderOrAnOption_data();
    void commandLineIsAFolderOrAnOption();
    void layoutIsAsStored();
    void tabOrderFollowsTheLayout();
    void everyControlCanBeFoundByNameAndKey();
    void startUpFillsListsCountsAndTicks();
    void startUpWithoutAUsableFolder_data();
    void startUpWithoutAUsableFolder();
    void checkAllAndUncheckAllKeepCurrentItemAndScroll();
    void userTicksWithSpaceAndCloseRemembersThem();
    void titleBarCloseSavesNothing();
    void closeThatCannotSaveSaysWhichFileAndCloses();
    void enterNeverRemovesEscapeDoesNothing();
    void removalMovesConvertedPdfsToTheTrash();
    void grayedOptionCannotBeChosenAgainByTheUser();
    void barColourIsPainted();
    void pdfListMenuTicksTheBookChoices();
    void startUpHintsShowWholeAndFollowTheChoices_data();
    void startUpHintsShowWholeAndFollowTheChoices();
    void pdfListKeepsAnOrderOfItsOwn();
    void documentsWithoutAnUpToDatePdfAreMarked();
    void compileButtonMakesTheBookAndTakesNoInputMeanwhile();
    void printButtonMakesRealPdfsThroughLibreOffice();
    void longEndMessagesFitTheScreen();
    void aCompileCanBeStopped_data();
    void aCompileCanBeStopped();
    void aConversionStoppedLeavesNoOfficeAndNoHalfPdf();

private:
    QTemporaryDir dataHome_;
};

void TestMainWindow::commandLineIsAFolderOrAnOption_data()
{
    using Kind = WindowCommand::Kind;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("folder");
    QTest::newRow("help") << QStringList{"--help"} << int(Kind::Help) << "";
    QTest::newRow("-h") << QStringList{"-h"} << int(Kind::Help) << "";
    QTest::newRow("version") << QStringList{"--version"} << int(Kind::Version) << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << int(Kind::Refused) << "";
    QTest::newRow("help and more") << QStringList{"--help", "Case"} << int(Kind::Refused) << "";
    QTest::newRow("a name with spaces")
        << QStringList{"My", "Case", "-", "2026"} << int(Kind::Open) << "My Case - 2026";
    QTest::newRow("no folder") << QStringList{} << int(Kind::Open) << "";
}

void TestMainWindow::commandLineIsAFolderOrAnOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QString, folder);
    const WindowCommand command = ParseWindowCommand(arguments);
    QCOMPARE(int(command.kind), kind);
    QCOMPARE(command.folder, folder);
    // Said without a window, where no display is.
    if (kind == int(WindowCommand::Kind::Open))
        return;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUIREFOLD_WINDOW), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), kind == int(WindowCommand::Kind::Refused) ? 2 : 0);
    const QString said =
        QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError());
    QVERIFY2(said.contains(kind == int(WindowCommand::Kind::Version) ? "quirefold 1." : "Usage"),
             qPrintable(said));
}

void TestMainWindow::layoutIsAsStored()
{
    TestFolder folder;
    Started s({folder.path()});
    const qreal dpi = s.form->logicalDpiY();
    QCOMPARE(s.form->windowTitle(), QDir(folder.path()).dirName() +
                                        QString::fromUtf8(" \u2014 Quirefold 1.1 from Tallowmere"));
    QCOMPARE(s.form->windowIcon().availableSizes().size(), 7); // the desktop's own icon
    QCOMPARE(s.form->size(), QSize(TwipsToPixels(12345, dpi), TwipsToPixels(4650, dpi)));
    QCOMPARE(s.form->minimumSize(), s.form->size()); // larger, never smaller
    QVERIFY(s.form->windowFlags() & Qt::WindowMaximizeButtonHint);
    const QList<QSize> iconSizes = s.form->windowIcon().availableSizes();
    QVERIFY(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)));

    struct Control {
        const char *name;
        int left, top, width, height;
        const char *caption;
    };
    const Control controls[] = {
        {"List1", 120, 480, 6000, 2085, nullptr},
        {"Command1", 3465, 2835, 1815, 375, "Print DOC Files to PDF"},
        {"Text1", 120, 3360, 6000, 255, nullptr},
        {"Label1", 120, 240, 6000, 255, "DOC Files Found in Folder:"},
        {"Text2", 120, 3765, 6000, 255, nullptr},
        {"List2", 6240, 480, 6000, 2085, nullptr},
        {"Text3", 120, 2520, 6000, 285, nullptr},
        {"Text4", 6240, 2520, 6000, 285, nullptr},
        {"Command2", 6240, 80, 6000, 375,
         "Click here to delete PDF files which have a matching DOC file only!"},
        {"Command3", 9600, 2835, 1815, 375, "Compile PDF Files"},
        {"Check1", 6360, 3360, 5895, 255,
         "Add a blank sheet when a document ends in and odd number of pages."},
        {"Text5", 8280, 3720, 3975, 285, nullptr},
        {"Command4", 120, 2835, 1200, 375, "Check All"},
        {"Command5", 1320, 2835, 1200, 375, "Uncheck All"},
        {"Command6", 6240, 2835, 1200, 375, "Check All"},
        {"Command7", 7440, 2835, 1200, 375, "Uncheck All"},
        {"Command8", 5572, 4200, 1200, 375, "Close"},
        {"Label2", 6360, 3760, 1935, 255, "Compiled PDF File Name:"},
        {"ProgressBar1", 120, 4245, 3855, 255, nullptr},
        {"ProgressBar2", 8360, 4245, 3855, 255, nullptr},
    };
    for (const Control &c : controls) {
        QWidget *w = s.get(c.name);
        QCOMPARE(w->geometry(), TwipsRect(c.left, c.top, c.width, c.height, dpi));
        // The captions as stored, with an access key marked in each.
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            QCOMPARE(QString(b->text()).remove('&'), QLatin1String(c.caption));
        if (auto *l = qobject_cast<QLabel *>(w))
            QCOMPARE(QString(l->text()).remove('&'), QLatin1String(c.caption));
    }
    QVERIFY(!s.button("Command2")->isDefault() && !s.button("Command2")->autoDefault());
    QVERIFY(s.get<QLineEdit>("Text3")->isReadOnly() && !s.get<QLineEdit>("Text5")->isReadOnly());
    const QColor white = s.get("Text5")->palette().color(QPalette::Base);
    for (const char *grey : {"Text1", "Text2", "Text3", "Text4"})
        QVERIFY2(s.get(grey)->palette().color(QPalette::Base).lightness() < white.lightness(),
                 grey);
    for (const char *bar : {"ProgressBar1", "ProgressBar2"}) {
        QCOMPARE(s.get<QProgressBar>(bar)->minimum(), 0);
        QCOMPARE(s.get<QProgressBar>(bar)->maximum(), 100);
    }
    const QRect screen = s.form->screen()->availableGeometry();
    QVERIFY((s.form->geometry().center() - screen.center()).manhattanLength() <= 1);

    // A larger window gives the lists the room: each side half the width, the lists the height.
    const QRect list1 = s.get("List1")->geometry(), list2 = s.get("List2")->geometry();
    const QRect close = s.get("Command8")->geometry(), name = s.get("Text5")->geometry();
    s.form->resize(s.form->size() + QSize(400, 300));
    QCOMPARE(s.get("List1")->geometry(), list1.adjusted(0, 0, 200, 300));
    QCOMPARE(s.get("List2")->geometry(), list2.adjusted(200, 0, 400, 300));
    QCOMPARE(s.get("Command8")->geometry(), close.translated(200, 300));
    QCOMPARE(s.get("Text5")->geometry(), name.adjusted(200, 300, 400, 300));
    s.form->resize(s.form->minimumSize());
    QCOMPARE(s.get("List1")->geometry(), list1);
}

void TestMainWindow::tabOrderFollowsTheLayout()
{
    TestFolder folder;
    Started s({folder.path()});
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    QCOMPARE(QApplication::focusWidget(), s.get("List1"));
    QStringList order;
    for (int i = 0; i < 16; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"List1", "Text3", "Command4", "Command5", "Command1", "Command2",
                                 "List2", "Text4", "Command6", "Command7", "Command3", "Check1",
                                 "Text5", "Command8", "List1", "Text3"}));
}

void TestMainWindow::everyControlCanBeFoundByNameAndKey()
{
    TestFolder folder;
    folder.touch({"a.doc"});
    Started s({folder.path()});
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    // What a screen reader hears: every control named, no two alike.
    QStringList names;
    for (QWidget *w : s.form->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(s.form.get()) || w->parentWidget() != s.form.get() ||
            qobject_cast<QLabel *>(w))
            continue;
        QAccessibleInterface *seen = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(seen && !seen->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        names << seen->text(QAccessible::Name).remove('&');
    }
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const char *expected : {"Documents", "PDF files", "Check all documents",
                                 "Check all PDF files", "Compiled PDF file name"})
        QVERIFY2(names.contains(expected), qPrintable(names.join(", ")));
    // The lists' menus, which nothing on the window shows, are told of.
    QCOMPARE(s.get("List2")->accessibleDescription(),
             QStringLiteral("Right-click or press the menu key for the book's choices"));
    QCOMPARE(s.get("List1")->toolTip(), s.get("List1")->accessibleDescription());
    // Every button and the option have an access key of their own; the labels lead to their box.
    QSet<QString> keys;
    for (QAbstractButton *b : s.form->findChildren<QAbstractButton *>()) {
        const QString key = QKeySequence::mnemonic(b->text()).toString();
        QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(b->objectName()));
        keys << key;
    }
    QCOMPARE(s.get<QLabel>("Label2")->buddy(), s.get("Text5"));
    QTest::keyClick(s.form.get(), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), s.get("Text5"));
    QTest::keyClick(s.form.get(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(s.ticked("List1"), QStringList({"a.doc"}));
}

void TestMainWindow::startUpFillsListsCountsAndTicks()
{
    TestFolder folder;
    folder.touch({"b.doc", "A.DOC", "c.docx", "Old.pdf", "new.PDF"});
    folder.write("QFDOCIgnore.INI", "b.doc\r\n");
    folder.write("Quirefold.INI", "[Settings]\r\nSlipSheet=0\r\nOutputName=Book.pdf\r\n");
    Started s({folder.path() + QStringLiteral("/")}); // a trailing separator doubles it: harmless
    QVERIFY(s.problems.empty());
    QCOMPARE(s.form->DocumentCount().Text(), QStringLiteral("2 DOC file(s) found in folder."));
    QCOMPARE(s.form->PdfCount().Text(), QStringLiteral("2 PDF file(s) found in folder."));
    QCOMPARE(s.ticked("List1"), QStringList({"A.DOC"}));
    QCOMPARE(s.ticked("List2"), QStringList({"new.PDF", "Old.pdf"}));
    QCOMPARE(s.get<QListWidget>("List1")->currentRow(), 0);
    QCOMPARE(s.get<QListWidget>("List2")->currentRow(), 0);
    QCOMPARE(s.get<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
    QCOMPARE(s.get<QLineEdit>("Text5")->text(), QStringLiteral("Book.pdf"));
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray()); // made, empty
    QVERIFY(s.messages.shown().isEmpty());
}

void TestMainWindow::startUpWithoutAUsableFolder_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("empty command line") << QStringList();
    QTest::newRow("quoted path") << QStringList({"\"/tmp\""});
    QTest::newRow("missing folder") << QStringList({"/nonexistent/quirefold"});
}

void TestMainWindow::startUpWithoutAUsableFolder()
{
    QFETCH(QStringList, arguments);
    Started s(arguments);
    QVERIFY(s.form->isVisible());
    QCOMPARE(s.form->DocumentList().Count(), 0);
    QCOMPARE(s.form->PdfList().Count(), 0);
    QCOMPARE(s.form->DocumentCount().Text(), QStringLiteral("0 DOC file(s) found in folder."));
    QCOMPARE(s.form->PdfCount().Text(), QStringLiteral("0 PDF file(s) found in folder."));
    QCOMPARE(s.form->BlankSheetOption().State(), Qt::Checked);
    QVERIFY(s.messages.shown().isEmpty());
    QVERIFY(!QFileInfo::exists(QStringLiteral("/QFDOCIgnore.INI")));

    // The window says so, and offers to choose a folder; without one it stays as it is.
    s.messages.answer = false;
    s.form->OfferAnotherFolder(s.problems);
    QCOMPARE(s.messages.shown().size(), 1);
    QVERIFY(s.messages.shown().first().text.endsWith("\n\nChoose a folder to open?"));
    QVERIFY2(s.form->StatusLine().Text().startsWith(arguments.isEmpty() ? "No folder was given"
                                                                        : "The folder "),
             qPrintable(s.form->StatusLine().Text()));
    // Longer than its box, it is whole in the line's tooltip and what a screen reader hears.
    ShowWaitingChanges();
    const auto *status = s.form->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QVERIFY(status);
    QCOMPARE(status->toolTip(), s.form->StatusLine().Text());
    QCOMPARE(status->accessibleDescription(), s.form->StatusLine().Text());
    // A folder chosen opens as one given at start-up.
    TestFolder chosen;
    chosen.touch({"a.doc", "b.pdf"});
    s.messages.answer = true;
    s.form->SetFolderChooser([&] { return chosen.path(); });
    s.form->OfferAnotherFolder(s.problems);
    QCOMPARE(s.ticked("List1"), QStringList({"a.doc"}));
    QCOMPARE(s.ticked("List2"), QStringList({"b.pdf"}));
    QCOMPARE(s.form->PdfCount().Text(), QStringLiteral("1 PDF file(s) found in folder."));
    QVERIFY(s.form->windowTitle().startsWith(QDir(chosen.path()).dirName() + " "));
    QCOMPARE(s.ws.WorkingFolder, chosen.path());
}

void TestMainWindow::checkAllAndUncheckAllKeepCurrentItemAndScroll()
{
    TestFolder folder;
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("doc%1.doc").arg(i, 2, 10, QLatin1Char('0'));
    folder.touch(names);
    folder.write("QFDOCIgnore.INI", "doc07.doc\r\n");
    Started s({folder.path()});
    auto *list = s.get<QListWidget>("List1");
    list->setCurrentRow(40);
    list->scrollToItem(list->item(40));
    const int scroll = list->verticalScrollBar()->value();
    QVERIFY(scroll > 0);

    s.click("Command5");
    QVERIFY(s.ticked("List1").isEmpty());
    s.click("Command4");
    QCOMPARE(s.ticked("List1"), names);
    QCOMPARE(list->currentRow(), 40);
    QCOMPARE(list->verticalScrollBar()->value(), scroll);

    // The PDF list's buttons act on the PDF list alone, also when it is empty.
    s.click("Command7");
    s.click("Command6");
    QCOMPARE(s.ticked("List1"), names);
    QCOMPARE(s.form->PdfList().Count(), 0);
}

void TestMainWindow::userTicksWithSpaceAndCloseRemembersThem()
{
    TestFolder folder;
    folder.touch({"a.doc", "b.doc", "x.pdf", "y.pdf"});
    {
        Started s({folder.path()});
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        auto *list = s.get<QListWidget>("List1");
        list->setFocus();
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Space); // untick b.doc
        s.click("Command6");
        s.click("Command8");
        QVERIFY(!s.form->isVisible());
        QVERIFY(s.messages.shown().isEmpty());
    }
    QCOMPARE(folder.read("QFDOCIgnore.INI"), QByteArray("b.doc\r\n"));
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray());
    QVERIFY(!folder.exists("Quirefold.INI")); // Close stores no settings

    Started again({folder.path()});
    QCOMPARE(again.ticked("List1"), QStringList({"a.doc"}));
    again.click("Command5");
    again.click("Command8");
    QCOMPARE(folder.read("QFDOCIgnore.INI"), QByteArray("a.doc\r\nb.doc\r\n"));
}

void TestMainWindow::titleBarCloseSavesNothing()
{
    TestFolder folder;
    folder.touch({"a.doc", "x.pdf"});
    folder.write("QFPDFIgnore.INI", "x.pdf\r\n");
    Started s({folder.path()});
    s.click("Command4");
    s.click("Command6");
    QVERIFY(s.form->close());
    QCOMPARE(folder.read("QFDOCIgnore.INI"), QByteArray());
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("x.pdf\r\n"));
}

void TestMainWindow::closeThatCannotSaveSaysWhichFileAndCloses()
{
    TestFolder folder;
    folder.touch({"a.doc", "x.pdf"});
    Started s({folder.path()});
    QVERIFY(QFile::remove(folder.file("QFDOCIgnore.INI")));
    folder.mkdir("QFDOCIgnore.INI"); // nothing can be written there
    s.click("Command7");
    s.click("Command8");
    QVERIFY(!s.form->isVisible());
    QCOMPARE(s.messages.shown().size(), 1);
    const auto &shown = s.messages.shown().first();
    QCOMPARE(shown.caption, QStringLiteral("Quirefold"));
    QVERIFY2(shown.text.contains(folder.file("QFDOCIgnore.INI")), qPrintable(shown.text));
    QVERIFY(!shown.text.contains(QLatin1String("QFPDFIgnore")));
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("x.pdf\r\n"));
}

void TestMainWindow::enterNeverRemovesEscapeDoesNothing()
{
    TestFolder folder;
    folder.touch({"a.doc", "a.pdf"});
    Started s({folder.path()});
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    QSignalSpy removal(s.button("Command2"), &QPushButton::clicked);
    QSignalSpy checkAll(s.button("Command4"), &QPushButton::clicked);
    for (const char *name : {"List1", "Check1", "Text5", "List2", "Text3", "Command2"}) {
        QWidget *w = s.get(name);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Enter);
    }
    QCOMPARE(removal.count(), 0);
    QVERIFY(folder.exists("a.pdf"));
    // Enter on another button clicks that button.
    s.button("Command4")->setFocus();
    QTest::keyClick(s.button("Command4"), Qt::Key_Return);
    QCOMPARE(checkAll.count(), 1);

    s.get("List1")->setFocus();
    QTest::keyClick(s.get("List1"), Qt::Key_Escape);
    QVERIFY(s.form->isVisible());
}

void TestMainWindow::removalMovesConvertedPdfsToTheTrash()
{
    TestFolder folder;
    folder.touch({"Report.doc", "Alone.pdf", "Unticked.pdf"});
    folder.write("Report.pdf", "the report");
    Started s({folder.path()});
    s.form->PdfList().SetTicked(2, false); // Unticked.pdf
    folder.touch({"New.pdf"});             // since start-up
    s.click("Command2");
    QVERIFY(!folder.exists("Report.pdf"));
    QFile trashed(dataHome_.filePath("Trash/files/Report.pdf"));
    QVERIFY(trashed.open(QIODevice::ReadOnly));
    QCOMPARE(trashed.readAll(), QByteArray("the report"));
    QVERIFY(QFileInfo::exists(dataHome_.filePath("Trash/info/Report.pdf.trashinfo")));
    QVERIFY(folder.exists("Report.doc") && folder.exists("Alone.pdf"));
    QCOMPARE(s.form->StatusLine().Text(), QStringLiteral("1 PDF file was moved to the trash."));
    QCOMPARE(s.form->PdfList().Count(), 3);
    QCOMPARE(s.form->PdfCount().Text(), QStringLiteral("3 PDF file(s) found in folder."));
    QVERIFY(s.messages.shown().isEmpty());
    // The PDFs left keep their ticks, a new one comes ticked, and Close remembers just that.
    s.click("Command8");
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("Unticked.pdf\r\n"));
}

void TestMainWindow::grayedOptionCannotBeChosenAgainByTheUser()
{
    TestFolder folder;
    folder.write("Quirefold.INI", "[Settings]\r\nSlipSheet=2\r\n");
    Started s({folder.path()});
    auto *box = s.get<QCheckBox>("Check1");
    QCOMPARE(s.form->BlankSheetOption().State(), Qt::PartiallyChecked);
    QSet<int> seen;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        seen << s.form->BlankSheetOption().State();
    }
    QCOMPARE(seen, QSet<int>({Qt::Unchecked, Qt::Checked}));
}

void TestMainWindow::barColourIsPainted()
{
    TestFolder folder;
    Started s({folder.path()});
    auto *bar = s.get<QProgressBar>("ProgressBar1");
    bar->setValue(100);
    for (const QColor &colour : {kBarGreen, kBarRed}) {
        s.form->ConversionBar().SetBarColor(colour);
        QCOMPARE(s.form->ConversionBar().BarColor(), colour);
        const QColor painted = bar->grab().toImage().pixelColor(bar->rect().center());
        const bool green = colour == kBarGreen;
        QVERIFY2((green ? painted.green() : painted.red()) > 150, qPrintable(painted.name()));
        QVERIFY2((green ? painted.red() : painted.green()) < 60, qPrintable(painted.name()));
        QVERIFY2(painted.blue() < 60, qPrintable(painted.name()));
    }
}

void TestMainWindow::pdfListMenuTicksTheBookChoices()
{
    TestFolder folder;
    folder.write("Quirefold.INI", "[Settings]\r\nFitBlankSheet=1\r\n");
    Started s({folder.path()});
    QVERIFY(s.form->Choices().fitBlankSheets);
    auto *list = s.get<QListWidget>("List2");
    auto *menu = list->findChild<QMenu *>("List2Menu");
    QVERIFY(menu);
    QAction *fit = menu->findChild<QAction *>("FitBlankSheet");
    QVERIFY(fit);
    // The menu key opens it, with the folder's choice ticked; a click takes the tick off.
    QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                   list->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list, &fromKeyboard);
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(fit->isChecked());
    fit->trigger();
    menu->hide();
    QVERIFY(!s.form->Choices().fitBlankSheets);

    // The page numbers are asked for; a format that cannot number is said, and asked again.
    QStringList answers = {"Page {x}", "ABC{n:6}"};
    int refusals = 0;
    QTimer answering;
    connect(&answering, &QTimer::timeout, [&] {
        QWidget *asking = QApplication::activeModalWidget();
        if (auto *refused = qobject_cast<QMessageBox *>(asking)) {
            ++refusals;
            refused->accept();
        } else if (auto *dialog = qobject_cast<QInputDialog *>(asking);
                   dialog && !answers.isEmpty()) {
            dialog->setTextValue(answers.takeFirst());
            dialog->accept();
        }
    });
    answering.start(20);
    menu->findChild<QAction *>("PageNumbers")->trigger();
    answering.stop();
    QCOMPARE(refusals, 1);
    QCOMPARE(s.form->Choices().pageNumbers, QStringLiteral("ABC{n:6}"));
    // So is the volume limit, stored as the settings file says it.
    answers = {"20 GB", " 20 mb "};
    refusals = 0;
    answering.start(20);
    menu->findChild<QAction *>("VolumeLimit")->trigger();
    answering.stop();
    QCOMPARE(refusals, 1);
    QCOMPARE(s.form->Choices().volumeLimit, QStringLiteral("20 MB"));
    QMenu *titles = menu->findChild<QMenu *>("BookmarkTitles");
    titles->actions().at(2)->trigger();
    QCOMPARE(s.form->Choices().bookmarkTitles, kBookmarkTitlesOwnTitle);
    menu->findChild<QAction *>("IndexPage")->trigger();
    QVERIFY(s.form->Choices().indexPage);

    // The document list's menu lists other kinds of document at once.
    folder.touch({"a.doc", "b.docx", "Doc 10.doc", "Doc 2.doc"});
    auto *documents = s.get<QListWidget>("List1");
    QMenu *documentMenu = documents->findChild<QMenu *>("List1Menu");
    documentMenu->findChild<QAction *>("DOCX")->trigger();
    QCOMPARE(s.form->Choices().documentTypes, QStringList({"DOC", "DOCX"}));
    QCOMPARE(s.ticked("List1"), QStringList({"a.doc", "b.docx", "Doc 10.doc", "Doc 2.doc"}));
    QCOMPARE(s.form->DocumentCount().Text(), QStringLiteral("4 DOC file(s) found in folder."));

    // Natural order, from either list's menu: the items move, each with its tick and the
    // current one still current.
    documents->item(2)->setCheckState(Qt::Unchecked); // Doc 10.doc
    documents->setCurrentRow(3);                      // Doc 2.doc
    documentMenu->findChild<QAction *>("NaturalOrder")->trigger();
    QVERIFY(s.form->Choices().naturalOrder);
    QStringList order;
    for (int i = 0; i < documents->count(); ++i)
        order << documents->item(i)->text();
    QCOMPARE(order, QStringList({"a.doc", "b.docx", "Doc 2.doc", "Doc 10.doc"}));
    QCOMPARE(s.ticked("List1"), QStringList({"a.doc", "b.docx", "Doc 2.doc"}));
    QCOMPARE(documents->currentItem()->text(), QStringLiteral("Doc 2.doc"));
}

void TestMainWindow::startUpHintsShowWholeAndFollowTheChoices_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const QString order = "Exhibit 10.pdf comes before Exhibit 2.pdf; right-click the list for "
                          "Natural order";
    const QString odt = "1 .ODT document is not listed; right-click the documents list to list it";
    QTest::newRow("a kind of document listed")
        << QStringList{"a.doc", "b.docx"} << "List1Menu"
        << "DOCX"
        << "1 .DOCX document is not listed; right-click the documents list to list it"
        << "This folder's book: made of .DOC, .DOCX documents";
    QTest::newRow("natural order, one hint left")
        << QStringList{"Exhibit 10.pdf", "Exhibit 2.pdf", "Old.odt"} << "List2Menu"
        << "NaturalOrder" << order + "; " + odt << odt;
    QTest::newRow("a bookmark title chosen: nothing changes")
        << QStringList{"Exhibit 10.pdf", "Exhibit 2.pdf"} << "List2Menu"
        << "BookmarkTitles" << order << order;
}

// A hint is read whole in a maximised window, and said anew as soon as a choice changes it.
void TestMainWindow::startUpHintsShowWholeAndFollowTheChoices()
{
    QFETCH(QStringList, files);
    QFETCH(QString, menu);
    QFETCH(QString, choice);
    QFETCH(QString, before);
    QFETCH(QString, after);
    TestFolder folder;
    folder.touch(files);
    Started s({folder.path()});
    s.form->showMaximized();
    auto *status = s.get<QPlainTextEdit>("Text1");
    QTRY_COMPARE(status->toPlainText(), before);
    // Nothing is cut at the side: what is longer than the box goes on below, and scrolls.
    QTRY_COMPARE(status->horizontalScrollBar()->maximum(), 0);
    QVERIFY(status->verticalScrollBar()->maximum() == 0 ||
            status->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
    auto *choices = s.form->findChild<QMenu *>(menu);
    if (auto *action = choices->findChild<QAction *>(choice))
        action->trigger();
    else // a choice of one of several: the first that differs from the default
        choices->findChild<QMenu *>(choice)->actions().at(1)->trigger();
    QTRY_COMPARE(status->toPlainText(), after);
}

void TestMainWindow::pdfListKeepsAnOrderOfItsOwn()
{
    TestFolder folder;
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf", "d.pdf"})
        MakePdf(folder.file(name), 1);
    folder.write("QFPDFIgnore.INI", "b.pdf\r\n");
    {
        Started s({folder.path()});
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        auto *list = s.get<QListWidget>("List2");
        // Dragged with the mouse, in small steps: d.pdf goes first, its tick with it.
        QWidget *rows = list->viewport();
        const auto centre = [&](int row) { return list->visualItemRect(list->item(row)).center(); };
        QPoint at = centre(3);
        QTest::mousePress(rows, Qt::LeftButton, Qt::NoModifier, at);
        for (const QPoint end = centre(0) - QPoint(0, 2); at.y() > end.y(); at.ry() -= 3) {
            QMouseEvent move(QEvent::MouseMove, at, rows->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(rows, &move);
        }
        QTest::mouseRelease(rows, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(s.names("List2"), QStringList({"d.pdf", "a.pdf", "b.pdf", "c.pdf"}));
        QCOMPARE(s.ticked("List2"), QStringList({"d.pdf", "a.pdf", "c.pdf"}));
        // A click on a tick box that does not move ticks, as ever.
        QStyleOptionViewItem item;
        item.initFrom(list);
        item.rect = list->visualItemRect(list->item(0));
        item.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QPoint box = list->style()
                               ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, list)
                               .center();
        QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, box);
        QCOMPARE(s.ticked("List2"), QStringList({"a.pdf", "c.pdf"}));
        QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, box);
        QCOMPARE(s.ticked("List2"), QStringList({"d.pdf", "a.pdf", "c.pdf"}));
        // With the keys, the current row moves and a screen reader hears its place.
        list->setFocus();
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(s.names("List2"), QStringList({"d.pdf", "b.pdf", "c.pdf", "a.pdf"}));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("a.pdf"));
        QCOMPARE(list->currentItem()->data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("a.pdf, 4 of 4"));
        // Stored as it changes, so that a close through the title bar keeps it.
        QTRY_COMPARE(folder.read("QFPDFOrder.INI"),
                     QByteArray("d.pdf\r\nb.pdf\r\nc.pdf\r\na.pdf\r\n"));
        QTest::keyClick(list, Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(s.names("List2"), QStringList({"a.pdf", "d.pdf", "b.pdf", "c.pdf"}));
        QTRY_COMPARE(folder.read("QFPDFOrder.INI"),
                     QByteArray("a.pdf\r\nd.pdf\r\nb.pdf\r\nc.pdf\r\n"));
        list->setCurrentRow(1);
        list->findChild<QMenu *>("List2Menu")->findChild<QAction *>("MoveToBottom")->trigger();
        QCOMPARE(s.names("List2"), QStringList({"a.pdf", "b.pdf", "c.pdf", "d.pdf"}));
        QTest::keyClick(list, Qt::Key_Home, Qt::AltModifier);
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_End, Qt::AltModifier);
        QCOMPARE(s.names("List2"), QStringList({"d.pdf", "b.pdf", "c.pdf", "a.pdf"}));
        QTRY_COMPARE(folder.read("QFPDFOrder.INI"),
                     QByteArray("d.pdf\r\nb.pdf\r\nc.pdf\r\na.pdf\r\n"));
        // A run stores it too, so the book and the next start-up agree.
        NoSound sound;
        NoBookViewer viewer;
        s.form->SetRunHooks({&sound, &viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER), {}});
        s.run("Command3");
        QCOMPARE(folder.read("QFPDFOrder.INI"), QByteArray("d.pdf\r\nb.pdf\r\nc.pdf\r\na.pdf\r\n"));
        QCOMPARE(Outline(*ReadPdf(folder.file("PDFCompile Output/CompiledPDFDocument.pdf"))),
                 (QList<std::pair<QString, int>>{{"d", 0}, {"c", 2}, {"a", 4}}));
        QVERIFY(s.form->close());
    }
    // Start-up reads it; a PDF new in the folder follows, sorted. Sort Again removes it.
    folder.touch({"0.pdf"});
    Started s({folder.path()});
    auto *list = s.get<QListWidget>("List2");
    QCOMPARE(s.names("List2"), QStringList({"d.pdf", "b.pdf", "c.pdf", "a.pdf", "0.pdf"}));
    list->findChild<QMenu *>("List2Menu")->findChild<QAction *>("SortAgain")->trigger();
    QCOMPARE(s.names("List2"), QStringList({"0.pdf", "a.pdf", "b.pdf", "c.pdf", "d.pdf"}));
    QVERIFY(!folder.exists("QFPDFOrder.INI"));
}

void TestMainWindow::documentsWithoutAnUpToDatePdfAreMarked()
{
    TestFolder folder;
    folder.touch({"a.doc", "b.doc", "b.PDF", "c.doc", "c.pdf"});
    // b's PDF was made as the document last changed, c's a second before.
    for (const char *name : {"b.doc", "b.PDF", "c.doc"})
        folder.setModified(name, 1700000000);
    folder.setModified("c.pdf", 1700000000 - 1);
    Started s({folder.path()});
    auto *list = s.get<QListWidget>("List1");
    // What a mark means is in the tooltip and in what a screen reader hears; its shape tells a
    // missing PDF from an old one, not its colour alone.
    QStringList tips, heard;
    for (int i = 0; i < list->count(); ++i) {
        tips << list->item(i)->toolTip();
        heard << list->item(i)->data(Qt::AccessibleDescriptionRole).toString();
    }
    // The list's hint follows, seen also when rows fill the list, and on the count line.
    const QString hint = list->toolTip();
    QVERIFY(!hint.isEmpty());
    QCOMPARE(tips, QStringList({"a.doc\nNo PDF yet\n\n" + hint, "b.doc\n\n" + hint,
                                "c.doc\nThe PDF is older than the document\n\n" + hint}));
    QCOMPARE(s.get("Text3")->toolTip(), hint);
    QCOMPARE(heard, QStringList({"No PDF yet", "", "The PDF is older than the document"}));
    const auto image = [&](int i) { return list->item(i)->icon().pixmap(10, 10).toImage(); };
    QVERIFY(image(0) != image(2) && image(0) != image(1));
    QCOMPARE(s.ticked("List1"), QStringList({"a.doc", "b.doc", "c.doc"}));

    // The removal takes b's PDF, and its mark says so.
    s.click("Command2");
    QCOMPARE(list->item(1)->data(Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("No PDF yet"));
}

void TestMainWindow::compileButtonMakesTheBookAndTakesNoInputMeanwhile()
{
    TestFolder folder;
    MakePdf(folder.file("One.pdf"), 1);
    MakePdf(folder.file("Two.pdf"), 2);
    Started s({folder.path()});

    // While the run plays its sound, the user tries to close the window and to start another run.
    struct Meddler : CompletionSound, BookViewer {
        Started *s = nullptr;
        int plays = 0;
        QStringList shown;
        void Play(std::function<void()> ended) override
        {
            ++plays;
            levels << QThread::currentThread()->loopLevel();
            s->messages.answer = false; // asked whether to stop, the user says no
            s->form->close();
            QPushButton *compile = s->button("Command1");
            const QPointF at = compile->rect().center();
            for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(
                    compile, new QMouseEvent(type, at, compile->mapToGlobal(at), Qt::LeftButton,
                                             type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                              : Qt::NoButton,
                                             Qt::NoModifier));
            QTimer::singleShot(0, [ended = std::move(ended)] { ended(); }); // after the clicks
        }
        bool ShowBook(const QString &path) override
        {
            levels << QThread::currentThread()->loopLevel();
            shown << path;
            return true;
        }
        QList<int> levels; // of event loops, as the sound plays and the book is shown
    } meddler;
    meddler.s = &s;
    s.form->SetRunHooks({&meddler, &meddler, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER), {}});
    s.run("Command3");

    QCOMPARE(meddler.plays, 1);
    // The run opened no event loop of its own: the test's events are taken as the window's.
    QCOMPARE(meddler.levels, QList<int>({0, 0}));
    QVERIFY(s.form->isVisible());
    QCOMPARE(s.messages.shown().size(), 1);
    QVERIFY(s.messages.shown().first().text.startsWith("A run is under way. Stop it"));
    const QString book = folder.file("PDFCompile Output/CompiledPDFDocument.pdf");
    QCOMPARE(meddler.shown, QStringList({book}));
    auto pdf = ReadPdf(book);
    QCOMPARE(pdf->getAllPages().size(), size_t(4)); // One, a blank sheet, Two
    QCOMPARE(Outline(*pdf), (QList<std::pair<QString, int>>{{"One", 0}, {"Two", 2}}));
    QVERIFY(
        s.get<QPlainTextEdit>("Text1")->toPlainText().startsWith(QLatin1String("Start Time: \t")));
    // Values paced to the screen's frames reach the widgets all the same.
    QVERIFY(s.get<QPlainTextEdit>("Text2")->toPlainText().startsWith(QLatin1String("Done Time:")));
    QCOMPARE(s.get<QProgressBar>("ProgressBar2")->value(), 2);
    QCOMPARE(s.get<QProgressBar>("ProgressBar2")->text(), QStringLiteral("2 of 2"));
    QVERIFY(s.get<QPlainTextEdit>("Text2")->toPlainText().contains(
        QString::fromUtf8(" \u2014 PDFCompile Output/CompiledPDFDocument.pdf, 4 pages, ")));
    QCOMPARE(s.form->CompileBar().BarColor(), kBarRed);
}

void TestMainWindow::printButtonMakesRealPdfsThroughLibreOffice()
{
    TestFolder folder;
    const QDir sample(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER));
    QMap<QString, QByteArray> documents;
    QMap<QString, QDateTime> times;
    for (const char *name : {"Rules of Play.doc", "appendix.DOC"}) {
        QVERIFY(QFile::copy(sample.filePath(name), folder.file(name)));
        documents[name] = folder.read(name);
        times[name] = QFileInfo(folder.file(name)).lastModified();
    }
    NoSound sound;
    NoBookViewer viewer;
    Started s({folder.path()});
    s.form->SetRunHooks({&sound, &viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER), {}});
    s.run("Command1");

    QVERIFY2(s.messages.shown().isEmpty(), qPrintable(s.messages.shown().value(0).text));
    QCOMPARE(s.form->PdfCount().Text(), QStringLiteral("2 PDF file(s) found in folder."));
    QCOMPARE(s.ticked("List2"), QStringList({"appendix.PDF", "Rules of Play.PDF"}));
    const QString pdf = folder.file("Rules of Play.PDF");
    QCOMPARE(ReadPdf(pdf)->getAllPages().size(), size_t(3));
    QVERIFY(ProgramOutput("pdftotext", {pdf, "-"}).contains("Rules of Play", Qt::CaseInsensitive));
    const QStringList fonts =
        ProgramOutput("pdffonts", {pdf}).split('\n').mid(2).filter(QRegularExpression("\\S"));
    QVERIFY(!fonts.isEmpty());
    for (const QString &font : fonts)
        QVERIFY2(
            font.contains(QRegularExpression("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$")),
            qPrintable(font)); // embedded
    for (auto it = documents.cbegin(); it != documents.cend(); ++it) {
        QCOMPARE(folder.read(it.key()), it.value());
        QCOMPARE(QFileInfo(folder.file(it.key())).lastModified(), times[it.key()]);
    }
    QCOMPARE(
        QDir(folder.path()).entryList({"*.PS", "*.LOG", ".~lock*"}, QDir::Files | QDir::Hidden),
        QStringList());
    QVERIFY(!s.form->StatusLine().Text().isEmpty());
}

void TestMainWindow::longEndMessagesFitTheScreen()
{
    Problems problems;
    for (int i = 0; i < 40; ++i)
        problems.add(Status::Failed(QStringLiteral("/folder/Damaged %1.pdf").arg(i),
                                    QString(300, QLatin1Char('x'))));
    problems.add(Status::Failed("/folder/Long.pdf", QString(5000, QLatin1Char('y'))));
    QMessageBox box;
    SetMessageText(box, problems.report("The book was made, but not everything went well:"));
    QVERIFY(box.text().startsWith("The book was made, but not everything went well:"));
    QVERIFY(box.text().contains("and 37 more"));
    for (const char *file : {"Damaged 0.pdf", "Damaged 39.pdf", "Long.pdf"})
        QVERIFY(box.detailedText().contains(file));
    QVERIFY(box.detailedText().contains(QString(5000, QLatin1Char('y'))));
    box.show();
    QVERIFY(box.height() <= box.screen()->availableGeometry().height());

    SetMessageText(box, "Short:\n\n/folder/a.pdf: is damaged");
    QCOMPARE(box.text(), QStringLiteral("Short:\n\n/folder/a.pdf: is damaged"));
}

namespace {

void PostClick(QWidget *widget)
{
    const QPointF at = widget->rect().center();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            widget,
            new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}

} // namespace

void TestMainWindow::aCompileCanBeStopped_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("Stop button") << "Stop";
    QTest::newRow("closing the window") << "close";
}

void TestMainWindow::aCompileCanBeStopped()
{
    QFETCH(QString, how);
    TestFolder folder;
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
        MakePdf(folder.file(name), 1);
    folder.mkdir("PDFCompile Output");
    folder.write("PDFCompile Output/CompiledPDFDocument.pdf", "an earlier book");
    NoSound sound;
    NoBookViewer viewer;
    Started s({folder.path()});
    s.form->SetRunHooks({&sound, &viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER), {}});
    // Waiting in the queue, the request reaches the window as soon as the run lets it in.
    if (how == "Escape")
        QCoreApplication::postEvent(
            s.get("List2"), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    else if (how == "Stop")
        PostClick(s.button("Command3"));
    else
        QTimer::singleShot(0, s.form.get(), [&] { s.form->close(); });
    s.run("Command3");

    QCOMPARE(folder.read("PDFCompile Output/CompiledPDFDocument.pdf"), "an earlier book");
    QCOMPARE(QDir(folder.file("PDFCompile Output")).entryList(QDir::Files | QDir::Hidden),
             QStringList({"CompiledPDFDocument.pdf"}));
    QCOMPARE(s.messages.shown().last().text,
             QStringLiteral("The run was stopped, so no book was written; a book made before is "
                            "as it was."));
    QCOMPARE(s.button("Command3")->text(), QStringLiteral("Co&mpile PDF Files"));
    QVERIFY(s.button("Command3")->isEnabled());
    if (how == "close") {
        QCOMPARE(s.messages.shown().first().text.left(26), "A run is under way. Stop i");
        QTRY_VERIFY(!s.form->isVisible());
    } else {
        QVERIFY(s.form->isVisible());
    }
}

void TestMainWindow::aConversionStoppedLeavesNoOfficeAndNoHalfPdf()
{
    TestFolder folder, cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path())); // the offices' profiles
    const QDir sample(QStringLiteral(QUIREFOLD_SAMPLE_FOLDER));
    for (int copy = 0; copy < 8; ++copy)
        QVERIFY(QFile::copy(sample.filePath("Rules of Play.doc"),
                            folder.file(QStringLiteral("Copy %1.doc").arg(copy))));
    NoSound sound;
    NoBookViewer viewer;
    Started s({folder.path()});
    s.form->SetRunHooks({&sound, &viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER), {}});
    // Escape once the first PDF is there.
    QElapsedTimer sinceStop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!sinceStop.isValid() && s.form->PdfList().Count() > 0) {
            sinceStop.start();
            QTest::keyClick(s.get("List1"), Qt::Key_Escape);
        }
    });
    watch.start(20);
    s.run("Command1");
    qInfo("the run ended %lld ms after it was stopped", sinceStop.elapsed());
    qunsetenv("XDG_CACHE_HOME");

    QVERIFY(sinceStop.isValid());
    QCOMPARE(s.messages.shown().size(), 1);
    const QString said = s.messages.shown().first().text;
    QVERIFY2(said.startsWith("The run was stopped: "), qPrintable(said));
    const QStringList pdfs = QDir(folder.path()).entryList({"*.PDF"}, QDir::Files);
    QVERIFY(!pdfs.isEmpty() && pdfs.size() < 8);
    for (const QString &pdf : pdfs) // whole, or not there at all
        QCOMPARE(ReadPdf(folder.file(pdf))->getAllPages().size(), size_t(3));
    QCOMPARE(QDir(folder.path())
                 .entryList({"*.PS", ".*quirefold*", ".~lock*"},
                            QDir::Files | QDir::Hidden | QDir::Dirs),
             QStringList());
    QProcess pgrep;
    QTRY_VERIFY_WITH_TIMEOUT((pgrep.start("pgrep", {"-a", "-f", cache.path()}),
                              pgrep.waitForFinished(5000), pgrep.readAllStandardOutput().isEmpty()),
                             5000);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
