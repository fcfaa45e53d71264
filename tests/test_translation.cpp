#include "app/FolderWindow.h"
#include "core/Translations.h"
#include "runs/StartUp.h"
#include "support/MemoryWindow.h"
#include "support/TestFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>

#include <memory>

using namespace qf;

namespace {

const QStringList kBuiltTranslations{QStringLiteral(QUIREFOLD_PROGRAM_FOLDER "/translations")};

struct Run {
    int exitCode = -1;
    QString out, err;
};

// quirefold-batch with LANGUAGE set to language, or unset when it is empty.
Run Batch(const QStringList &arguments, const QString &language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANGUAGE"));
    if (!language.isEmpty())
        env.insert(QStringLiteral("LANGUAGE"), language);
    QProcess batch;
    batch.setProcessEnvironment(env);
    batch.start(QStringLiteral(QUIREFOLD_BATCH), arguments);
    Run r;
    if (!batch.waitForFinished(60000))
        return r;
    r.exitCode = batch.exitCode();
    r.out = QString::fromUtf8(batch.readAllStandardOutput());
    r.err = QString::fromUtf8(batch.readAllStandardError());
    return r;
}

// What a translation must keep of its source: the arguments, whether it has an access key, the
// blank space at either end, and the paragraphs a message box splits on.
QString Shape(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(\\d+|[a-z])"));
    QStringList parts;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        parts << it.next().captured();
    parts.sort();
    static const QRegularExpression key(QStringLiteral("&[^&\\s]"));
    static const QRegularExpression lead(QStringLiteral("^\\s*")), trail(QStringLiteral("\\s*$"));
    parts << (text.contains(key) ? QStringLiteral("key") : QStringLiteral("no key"))
          << lead.match(text).captured().toUtf8().toHex()
          << trail.match(text).captured().toUtf8().toHex()
          << QString::number(text.count(QStringLiteral("\n\n")));
    return parts.join(QLatin1Char('|'));
}

} // namespace

class TestTranslation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void englishComesFirstOrNotAtAll();
    void theWindowSpeaksGerman();
    void pageNumberDialogFitsASmallScreen_data();
    void pageNumberDialogFitsASmallScreen();
    void volumeLimitIsAskedInTheUsersWords_data();
    void volumeLimitIsAskedInTheUsersWords();
    void theBatchCommandFollowsLanguage();
    void everyTextIsTranslatedAndKeepsItsShape();
};

void TestTranslation::englishComesFirstOrNotAtAll()
{
    for (const QStringList &languages : {QStringList{"C"}, QStringList{"en-GB", "de-DE"},
                                         QStringList{"fr-FR", "en", "de"}, QStringList{}})
        QCOMPARE(InstallTranslations(languages, kBuiltTranslations), QString());
    QCOMPARE(QCoreApplication::translate("Window", "&Close"), QStringLiteral("&Close"));
}

void TestTranslation::theWindowSpeaksGerman()
{
    // A language without a translation is passed over for the next.
    QCOMPARE(InstallTranslations({"fr-FR", "de-DE"}, kBuiltTranslations), QStringLiteral("de"));
    TestFolder folder;
    folder.touch({"a.pdf", "b.pdf", "c.doc"});
    Workspace ws = Workspace::FromArguments({folder.path()});
    FolderWindow form(ws);
    RecordingMessageBox messages;
    NoSound quiet;
    NoBookViewer viewer;
    form.SetMessageBox(&messages);
    form.SetRunHooks({&quiet, &viewer, QStringLiteral(QUIREFOLD_PROGRAM_FOLDER), {}});
    StartUp(ws, form, [&form] { form.ShowCentred(); });
    const auto button = [&form](const char *name) {
        return form.findChild<QPushButton *>(QLatin1String(name));
    };

    QVERIFY(form.windowTitle().endsWith(QStringLiteral("Quirefold 1.1 von Tallowmere")));
    QCOMPARE(button("Command3")->text(), QStringLiteral("&Buch erstellen"));
    QCOMPARE(form.PdfCount().Text(), QStringLiteral("2 PDF-Datei(en) im Ordner gefunden."));
    QCOMPARE(form.findChild<QListWidget *>("List1")->item(0)->toolTip(),
             QStringLiteral(
                 "c.doc\nNoch keine PDF-Datei\n\nRechtsklick oder Men\u00fctaste f\u00fcr die "
                 "aufgef\u00fchrten Dokumentarten"));
    // Each caption fits its control, and no two access keys are alike, Stop's among them.
    QStringList keys{
        QKeySequence::mnemonic(QCoreApplication::translate("Window", "&Stop")).toString()};
    for (QWidget *w : form.findChildren<QWidget *>()) {
        auto *b = qobject_cast<QAbstractButton *>(w);
        auto *l = qobject_cast<QLabel *>(w);
        if (!b && !l)
            continue;
        const QString text = b ? b->text() : l->text();
        QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(text));
        keys << QKeySequence::mnemonic(text).toString();
    }
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());

    // A run's end: its times and its message with the problems' reasons.
    button("Command3")->click();
    QTRY_VERIFY(!form.Running());
    QVERIFY(form.StatusLine().Text().startsWith(QStringLiteral("Startzeit: \t")));
    QCOMPARE(messages.shown().size(), 1);
    const QString said = messages.shown().first().text;
    QVERIFY2(said.startsWith(QStringLiteral("Es wurde kein Buch erstellt.\n\n")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("ist beschädigt oder keine PDF-Datei")),
             qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("; sie wurde weggelassen")), qPrintable(said));
}

void TestTranslation::pageNumberDialogFitsASmallScreen_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::newRow("English") << QStringList{"en"};
    QTest::newRow("German") << QStringList{"de"};
}

// The page numbers' dialog fits a 1,024 x 768 screen, its prompt wrapped, its buttons whole.
void TestTranslation::pageNumberDialogFitsASmallScreen()
{
    QFETCH(QStringList, languages);
    InstallTranslations(languages, kBuiltTranslations);
    TestFolder folder;
    Workspace ws = Workspace::FromArguments({folder.path()});
    FolderWindow form(ws);
    QSize size;
    bool wrapped = false, buttonsWhole = true;
    QTimer answering;
    connect(&answering, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        size = dialog->size();
        for (QLabel *label : dialog->findChildren<QLabel *>())
            wrapped |= label->wordWrap() && label->text().contains("{total}");
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            buttonsWhole &= button->sizeHint().width() <= button->width();
        dialog->reject();
    });
    answering.start(20);
    form.findChild<QMenu *>("List2Menu")->findChild<QAction *>("PageNumbers")->trigger();
    answering.stop();
    QVERIFY2(size.width() <= 1024 && size.height() <= 768,
             qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
    QVERIFY(size.width() > 0 && wrapped && buttonsWhole);
}

void TestTranslation::volumeLimitIsAskedInTheUsersWords_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("pages"); // the limit the dialog says, offers and takes
    QTest::newRow("English") << QStringList{"en"} << "300 pages";
    QTest::newRow("German") << QStringList{"de"} << "300 Seiten";
}

// The dialog says and offers the limit in the user's words, takes them as they are offered, and
// offers a stored limit in them again; the settings file keeps its own.
void TestTranslation::volumeLimitIsAskedInTheUsersWords()
{
    QFETCH(QStringList, languages);
    QFETCH(QString, pages);
    // Only this language: a translator installed before would answer what English leaves alone.
    qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
    InstallTranslations(languages, kBuiltTranslations);
    TestFolder folder;
    Workspace ws = Workspace::FromArguments({folder.path()});
    FolderWindow form(ws);
    QStringList prompts, offered;
    QTimer answering;
    connect(&answering, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        prompts << dialog->labelText();
        offered << dialog->textValue();
        dialog->accept();
    });
    answering.start(20);
    QAction *limit = form.findChild<QMenu *>("List2Menu")->findChild<QAction *>("VolumeLimit");
    limit->trigger();
    QCOMPARE(form.Choices().volumeLimit, QStringLiteral("300 pages"));
    limit->trigger();
    answering.stop();
    QCOMPARE(offered, QStringList({pages, pages}));
    QVERIFY2(prompts.value(0).contains("(" + pages + ")"), qPrintable(prompts.value(0)));
    QCOMPARE(form.Choices().volumeLimit, QStringLiteral("300 pages"));
}

void TestTranslation::theBatchCommandFollowsLanguage()
{
    const Run german = Batch({"--help"}, "de");
    QCOMPARE(german.exitCode, 0);
    QVERIFY2(german.out.contains(QStringLiteral("Der Arbeitsordner.")), qPrintable(german.out));
    QVERIFY(german.out.contains(QStringLiteral("--document-types <ARTEN>")));
    const Run wrong = Batch({"/tmp"}, "de_AT:en");
    QCOMPARE(wrong.exitCode, 2);
    QVERIFY2(wrong.err.startsWith(QStringLiteral("quirefold-batch: nichts zu tun:")),
             qPrintable(wrong.err));
    // English, named or not, is the program's own text.
    const Run unset = Batch({"--help"}, QString());
    QVERIFY(unset.out.contains(QStringLiteral("The working folder.")));
    QCOMPARE(Batch({"--help"}, "en_US:de").out, unset.out);
}

void TestTranslation::everyTextIsTranslatedAndKeepsItsShape()
{
    // lupdate brings a copy of each .ts up to date with the sources: a new or changed text shows
    // as unfinished there.
    QTemporaryDir scratch;
    QStringList files = QStringLiteral(QUIREFOLD_TS_FILES).split(QLatin1Char('|'));
    files << QStringLiteral(QUIREFOLD_PLURALS_TS); // English: its plural forms only
    for (const QString &ts : files) {
        const bool pluralsOnly = ts == QStringLiteral(QUIREFOLD_PLURALS_TS);
        const QString copy = scratch.filePath(QFileInfo(ts).fileName());
        QVERIFY(QFile::copy(ts, copy));
        QProcess lupdate;
        lupdate.start(QStringLiteral(QUIREFOLD_LUPDATE),
                      QStringList{"@" QUIREFOLD_TRANSLATED_SOURCES, "-ts", copy} +
                          QStringLiteral(QUIREFOLD_LUPDATE_OPTIONS).split(QLatin1Char('|')) +
                          (pluralsOnly ? QStringList{"-pluralonly"} : QStringList()));
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);

        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString source;
        QStringList wrong;
        int messages = 0;
        bool numerus = false;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("message")) {
                numerus = xml.attributes().value("numerus") == QLatin1String("yes");
            } else if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                ++messages;
                const bool unfinished = !xml.attributes().value("type").isEmpty();
                QStringList forms; // a count's text has one per plural form of the language
                if (numerus)
                    while (xml.readNextStartElement())
                        forms << xml.readElementText();
                else
                    forms << xml.readElementText();
                for (const QString &form : forms)
                    if (unfinished || form.isEmpty())
                        wrong << "untranslated: " + source;
                    else if (Shape(form) != Shape(source))
                        wrong << "changed shape: " + source + " -> " + form;
                if (numerus && forms.size() != 2) // English and German: one, and more
                    wrong << "not two plural forms: " + source;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY2(messages > (pluralsOnly ? 5 : 200), "lupdate found the sources");
        QVERIFY2(wrong.isEmpty(), qPrintable(ts + ":\n" + wrong.join('\n')));
    }
}

QTEST_MAIN(TestTranslation)
#include "test_translation.moc"
