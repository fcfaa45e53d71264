#include "convert/ChildProcess.h"
#include "convert/libreoffice/LibreOfficeWriter.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

using namespace qf;
using namespace std::chrono_literals;

namespace {

constexpr int kPages = 5;

// Runs a tool to its end and returns what it printed; empty when it did not finish.
QString Run(const QString &program, const QStringList &arguments)
{
    ChildProcess tool;
    if (!tool.Start(program, arguments, ChildProcess::Channels::Capture, nullptr) ||
        !tool.WaitForExit(60s))
        return QString();
    return QString::fromUtf8(tool.TakeOutput());
}

// Process ids of the office's processes (any stage: env, soffice, oosplash, soffice.bin) whose
// command line matches pattern and names program.
QList<qint64> Offices(const QString &pattern,
                      const QString &program = QStringLiteral("/libreoffice/program/"))
{
    QList<qint64> pids;
    const QStringList lines =
        Run(QStringLiteral("pgrep"), {QStringLiteral("-a"), QStringLiteral("-f"), pattern})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        if (line.contains(program))
            pids.append(line.section(QLatin1Char(' '), 0, 0).toLongLong());
    return pids;
}

// Kills the office's main process as a crash would.
void Crash(qint64 pid)
{
    ::kill(pid_t(pid), SIGKILL);
}

struct FileState {
    QByteArray bytes;
    QDateTime modified;
    QStringList folder;
    bool operator==(const FileState &o) const
    {
        return bytes == o.bytes && modified == o.modified && folder == o.folder;
    }
};

FileState StateOf(const QString &path)
{
    QFile f(path);
    const QFileInfo info(path);
    return {info.isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(),
            info.lastModified(),
            info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)};
}

// A flat ODF text of kPages pages, each a heading and a line, the first with a link.
QByteArray FlatText()
{
    QByteArray body;
    for (int i = 1; i <= kPages; ++i)
        body += QStringLiteral("<text:h text:style-name=\"%1\" text:outline-level=\"1\">Chapter "
                               "%2</text:h><text:p>Quirefold page %2%3</text:p>\n")
                    .arg(i == 1 ? QStringLiteral("First") : QStringLiteral("Break"))
                    .arg(i)
                    .arg(i == 1 ? QStringLiteral(" <text:a xlink:type=\"simple\" "
                                                 "xlink:href=\"https://example.org/quire\">link"
                                                 "</text:a>")
                                : QString())
                    .toUtf8();
    return QByteArrayLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<office:document "
               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
               "xmlns:xlink=\"http://www.w3.org/1999/xlink\" office:version=\"1.3\" "
               "office:mimetype=\"application/vnd.oasis.opendocument.text\">\n"
               "<office:automatic-styles>"
               "<style:style style:name=\"First\" style:family=\"paragraph\"/>"
               "<style:style style:name=\"Break\" style:family=\"paragraph\">"
               "<style:paragraph-properties fo:break-before=\"page\"/></style:style>"
               "</office:automatic-styles>\n<office:body><office:text>\n") +
           body + QByteArrayLiteral("</office:text></office:body></office:document>\n");
}

// A Basic macro that saves a document as a Word 97 file protected by a password.
const QByteArray kLockMacro = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" "
    "\"module.dtd\">\n"
    "<script:module xmlns:script=\"http://openoffice.org/2000/script\" script:name=\"Module1\" "
    "script:language=\"StarBasic\">\n"
    "Sub MakeLocked(sFrom As String, sTo As String)\n"
    "  Dim aLoad(0) As New com.sun.star.beans.PropertyValue\n"
    "  aLoad(0).Name = &quot;Hidden&quot; : aLoad(0).Value = True\n"
    "  oDoc = StarDesktop.loadComponentFromURL(ConvertToURL(sFrom), &quot;_blank&quot;, 0, "
    "aLoad())\n"
    "  Dim aStore(1) As New com.sun.star.beans.PropertyValue\n"
    "  aStore(0).Name = &quot;FilterName&quot; : aStore(0).Value = &quot;MS Word 97&quot;\n"
    "  aStore(1).Name = &quot;Password&quot; : aStore(1).Value = &quot;secret&quot;\n"
    "  oDoc.storeToURL(ConvertToURL(sTo), aStore())\n"
    "  oDoc.close(True)\n"
    "  StarDesktop.terminate()\n"
    "End Sub\n"
    "</script:module>\n");

} // namespace

class TestLibreOffice : public QObject {
    Q_OBJECT

private:
    QTemporaryDir docs_;
    QTemporaryDir root_;
    QString doc_, locked_, damaged_, notDocument_;

    QString Doc(const QString &name) const { return docs_.filePath(name); }

    std::unique_ptr<WordProcessor> Start(LibreOfficeOptions options = {})
    {
        options.profileRoot = root_.path();
        Status status;
        auto office = StartLibreOffice(options, status);
        [&] { QVERIFY2(office && status.ok(), qPrintable(status.message())); }();
        return office;
    }

    // The office of the profile in slot number slot.
    QList<qint64> OfficeOf(int slot) const
    {
        return Offices(root_.path() + QStringLiteral("/profile-%1(\\s|$)").arg(slot),
                       QStringLiteral("soffice.bin"));
    }

    // Prints doc_ to a PDF in folder and checks its pages.
    void PrintsDocument(WordProcessor &office, const TestFolder &out, const QString &name)
    {
        QVERIFY(office.OpenReadOnly(doc_).ok());
        const Status printed = office.ExportPdf(out.file(name), {});
        QVERIFY2(printed.ok(), qPrintable(printed.message()));
        QVERIFY(Run(QStringLiteral("pdfinfo"), {out.file(name)})
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(kPages))));
        QVERIFY(office.Close().ok());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(docs_.isValid() && root_.isValid());
        const QString profile = docs_.filePath(QStringLiteral("maker"));
        const QStringList common{QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                 QStringLiteral("-env:UserInstallation=") +
                                     QUrl::fromLocalFile(profile).toString()};
        QFile flat(Doc(QStringLiteral("report.fodt")));
        QVERIFY(flat.open(QIODevice::WriteOnly));
        flat.write(FlatText());
        flat.close();
        ChildProcess maker;
        QVERIFY(maker.Start(QStringLiteral("soffice"),
                            common + QStringList{QStringLiteral("--convert-to"),
                                                 QStringLiteral("doc"), QStringLiteral("--outdir"),
                                                 docs_.path(), flat.fileName()},
                            ChildProcess::Channels::Discard, nullptr));
        QVERIFY(maker.WaitForExit(60s));
        doc_ = Doc(QStringLiteral("report.doc"));
        QVERIFY(QFileInfo(doc_).size() > 0);

        // The first run made the profile's Basic library; a macro in it makes the locked file.
        QFile macro(profile + QStringLiteral("/user/basic/Standard/Module1.xba"));
        QVERIFY(macro.open(QIODevice::WriteOnly));
        macro.write(kLockMacro);
        macro.close();
        locked_ = Doc(QStringLiteral("locked.doc"));
        QVERIFY(maker.Start(
            QStringLiteral("soffice"),
            common +
                QStringList{QStringLiteral("macro:///Standard.Module1.MakeLocked(\"%1\",\"%2\")")
                                .arg(flat.fileName(), locked_)},
            ChildProcess::Channels::Discard, nullptr));
        QVERIFY(maker.WaitForExit(60s));
        QVERIFY(QFileInfo(locked_).size() > 0);
        maker.End();

        QFile whole(doc_);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        damaged_ = Doc(QStringLiteral("damaged.doc"));
        QFile half(damaged_);
        QVERIFY(half.open(QIODevice::WriteOnly));
        half.write(bytes.left(bytes.size() / 2));
        notDocument_ = Doc(QStringLiteral("noise.doc"));
        QFile noise(notDocument_);
        QVERIFY(noise.open(QIODevice::WriteOnly));
        QByteArray random(8192, '\0');
        quint32 x = 2463534242u;
        for (char &c : random) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            c = char(x);
        }
        noise.write(random);
    }

    // A real Word document becomes a PDF with its pages, text, fonts, links and headings, and
    // the document and its folder stay as they were.
    void printsWordDocumentToPdf()
    {
        auto office = Start();
        QVERIFY(office);
        TestFolder source, out;
        const QString doc = source.file(QStringLiteral("Bericht für März #1.doc"));
        QVERIFY(QFile::copy(doc_, doc));
        const FileState before = StateOf(doc);
        QVERIFY(office->OpenReadOnly(doc).ok());
        const QString pdf = out.file(QStringLiteral("report.pdf"));
        QVERIFY(office->ExportPdf(pdf, {}).ok());
        QVERIFY(StateOf(doc) == before);

        QVERIFY(Run(QStringLiteral("pdfinfo"), {pdf})
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(kPages))));
        const QString text = Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        const QStringList pages = text.split(QLatin1Char('\f'));
        QVERIFY(pages.size() >= kPages);
        for (int i = 1; i <= kPages; ++i)
            QVERIFY2(pages[i - 1].contains(QStringLiteral("Quirefold page %1").arg(i)),
                     qPrintable(text));
        const QStringList fonts =
            Run(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(fonts.size() > 2);
        static const QRegularExpression embedded(
            QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"));
        for (const QString &font : fonts.mid(2))
            QVERIFY2(embedded.match(font).captured(1) == QLatin1String("yes"), qPrintable(font));
        const QJsonArray outlines =
            QJsonDocument::fromJson(
                Run(QStringLiteral("qpdf"),
                    {QStringLiteral("--json"), QStringLiteral("--json-key=outlines"), pdf})
                    .toUtf8())
                .object()
                .value(QStringLiteral("outlines"))
                .toArray();
        QCOMPARE(outlines.size(), kPages);
        for (int i = 0; i < kPages; ++i) {
            QCOMPARE(outlines[i].toObject().value(QStringLiteral("title")).toString(),
                     QStringLiteral("Chapter %1").arg(i + 1));
            QCOMPARE(outlines[i].toObject().value(QStringLiteral("destpageposfrom1")).toInt(),
                     i + 1);
        }
        QFile raw(pdf);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().contains("https://example.org/quire"));
        // Tagged, in the document's language, for screen readers; untagged when the folder says
        // so, with the same pages and text.
        const auto written = ReadPdf(pdf);
        QPDFObjectHandle catalog = written->getRoot();
        QVERIFY(catalog.getKey("/StructTreeRoot").isDictionary());
        QVERIFY(catalog.getKey("/MarkInfo").getKey("/Marked").isBool() &&
                catalog.getKey("/MarkInfo").getKey("/Marked").getBoolValue());
        QVERIFY(catalog.getKey("/Lang").isString());
        const QString untagged = out.file(QStringLiteral("untagged.pdf"));
        QVERIFY(office->ExportPdf(untagged, {false}).ok());
        QVERIFY(!ReadPdf(untagged)->getRoot().hasKey("/StructTreeRoot"));
        QCOMPARE(Run(QStringLiteral("pdftotext"), {untagged, QStringLiteral("-")}), text);

        // Opening again replaces the open document; closing twice is harmless.
        QVERIFY(office->OpenReadOnly(doc).ok());
        QVERIFY(office->OpenReadOnly(doc).ok());
        QVERIFY(office->Close().ok());
        QVERIFY(office->Close().ok());
        QVERIFY(StateOf(doc) == before);
    }

    // Real Word 97-2003 files from elsewhere, some of which the office only reads on its main
    // thread, all become PDFs with pages and text in one office.
    void printsThirdPartyWordFiles()
    {
        const QDir corpus(QStringLiteral(QUIREFOLD_CORPUS_FOLDER "/word"));
        const QStringList names = corpus.entryList({QStringLiteral("*.doc")}, QDir::Files);
        if (names.isEmpty())
            QSKIP(qPrintable(corpus.path() + QStringLiteral(" is absent or empty: the third-party "
                                                            "documents are not on this machine")));
        auto office = Start();
        QVERIFY(office);
        TestFolder out;
        static const QRegularExpression pages(QStringLiteral("Pages:\\s+([1-9]\\d*)\\n"));
        for (const QString &name : names) {
            const QString doc = corpus.filePath(name);
            const QString pdf = out.file(name + QStringLiteral(".pdf"));
            const Status opened = office->OpenReadOnly(doc);
            QVERIFY2(opened.ok(), qPrintable(name + QStringLiteral(": ") + opened.message()));
            const Status printed = office->ExportPdf(pdf, {});
            QVERIFY2(printed.ok(), qPrintable(name + QStringLiteral(": ") + printed.message()));
            const Status closed = office->Close();
            QVERIFY2(closed.ok(), qPrintable(name + QStringLiteral(": ") + closed.message()));
            QVERIFY2(pages.match(Run(QStringLiteral("pdfinfo"), {pdf})).hasMatch(),
                     qPrintable(name));
            QVERIFY2(
                !Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).trimmed().isEmpty(),
                qPrintable(name));
        }
        QVERIFY(office->Quit().ok());
    }

    // Documents that need a person or cannot be read fail at once with their reason, while the
    // same office goes on printing.
    void refusesBadDocumentsAndGoesOn()
    {
        auto office = Start();
        QVERIFY(office);
        const QList<qint64> before = OfficeOf(0);
        QCOMPARE(before.size(), 1);
        TestFolder out;
        out.mkdir(QStringLiteral("folder.doc"));
        const QList<std::pair<QString, QString>> cases{
            {locked_, QStringLiteral("is protected by a password")},
            {damaged_, QStringLiteral("is damaged")},
            {notDocument_, QStringLiteral("is not a document the word processor can read")},
            {Doc(QStringLiteral("missing.doc")), QStringLiteral("does not exist")},
            {out.file(QStringLiteral("folder.doc")), QStringLiteral("is a folder, not a document")},
        };
        for (const auto &[path, reason] : cases) {
            const FileState state = StateOf(path);
            QElapsedTimer timer;
            timer.start();
            const Status status = office->OpenReadOnly(path);
            QVERIFY2(!status.ok(), qPrintable(path));
            QCOMPARE(status.file(), path);
            QCOMPARE(status.reason(), reason);
            QVERIFY2(timer.elapsed() < 10000, qPrintable(path));
            QVERIFY(StateOf(path) == state);
            const Status printed = office->ExportPdf(out.file(QStringLiteral("none.pdf")), {});
            QVERIFY(!printed.ok());
            QVERIFY(printed.reason().contains(QStringLiteral("no document is open")));
        }
        PrintsDocument(*office, out, QStringLiteral("good.pdf"));
        QCOMPARE(OfficeOf(0), before);

        // A PDF that cannot be written fails with its reason and leaves nothing.
        QVERIFY(office->OpenReadOnly(doc_).ok());
        const QString nowhere = out.file(QStringLiteral("no/such/folder/x.pdf"));
        const Status unwritable = office->ExportPdf(nowhere, {});
        QVERIFY(!unwritable.ok());
        QCOMPARE(unwritable.file(), nowhere);
        QVERIFY(unwritable.reason().startsWith(QStringLiteral("cannot be written")));
        QVERIFY(office->ExportPdf(out.file(QStringLiteral("after.pdf")), {}).ok());
    }

    // A hung office is ended by the watchdog, a crashed one noticed; either way the next
    // document gets a fresh office and nothing of the old one is left.
    void survivesHungAndCrashedOffice()
    {
        qint64 victim = 0;
        LibreOfficeOptions options;
        options.documentBound = 2s;
        options.whileWaiting = [&victim] {
            if (victim)
                Crash(std::exchange(victim, 0));
        };
        auto office = Start(options);
        QVERIFY(office);
        TestFolder out;

        const QList<qint64> hung = OfficeOf(0);
        QCOMPARE(hung.size(), 1);
        ::kill(pid_t(hung[0]), SIGSTOP);
        QElapsedTimer timer;
        timer.start();
        Status status = office->OpenReadOnly(doc_);
        QCOMPARE(status.reason(),
                 QStringLiteral("took longer than 2 s; the word processor was ended"));
        QVERIFY(timer.elapsed() < 6000);
        QVERIFY(Offices(root_.path()).isEmpty());
        PrintsDocument(*office, out, QStringLiteral("after-hang.pdf"));

        // Ended while idle, with a document open.
        QVERIFY(office->OpenReadOnly(doc_).ok());
        const QList<qint64> idle = OfficeOf(0);
        QCOMPARE(idle.size(), 1);
        QVERIFY(idle != hung);
        Crash(idle[0]);
        status = office->ExportPdf(out.file(QStringLiteral("lost.pdf")), {});
        QCOMPARE(status.file(), doc_);
        QCOMPARE(status.reason(), QStringLiteral("the word processor ended unexpectedly"));
        QVERIFY(!out.exists(QStringLiteral("lost.pdf")));
        QVERIFY(office->Close().ok());
        PrintsDocument(*office, out, QStringLiteral("after-crash.pdf"));

        // Ended in the middle of opening.
        const QList<qint64> busy = OfficeOf(0);
        QCOMPARE(busy.size(), 1);
        victim = busy[0];
        status = office->OpenReadOnly(doc_);
        QCOMPARE(status.reason(), QStringLiteral("the word processor ended unexpectedly"));
        QVERIFY(Offices(root_.path()).isEmpty());
        PrintsDocument(*office, out, QStringLiteral("after-crash-2.pdf"));

        QVERIFY(office->Quit().ok());
        QVERIFY(Offices(root_.path()).isEmpty());
        QCOMPARE(office->OpenReadOnly(doc_).reason(),
                 QStringLiteral("the word processor was already quit"));
        QVERIFY(office->Quit().ok());
    }

    // Offices at the same time never share a profile; a profile is reused and seeded later.
    void instancesOwnTheirProfiles()
    {
        {
            auto first = Start();
            auto second = Start();
            QVERIFY(first && second);
            QCOMPARE(OfficeOf(0).size(), 1);
            QCOMPARE(OfficeOf(1).size(), 1);
            TestFolder out;
            PrintsDocument(*first, out, QStringLiteral("1.pdf"));
            PrintsDocument(*second, out, QStringLiteral("2.pdf"));
        }
        QVERIFY(Offices(root_.path()).isEmpty());

        // A profile broken beyond use is built anew.
        const QString user = root_.path() + QStringLiteral("/profile-0/user");
        QVERIFY(QDir(user).removeRecursively());
        QFile blocker(user);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto again = Start();
        QVERIFY(again);
        QCOMPARE(OfficeOf(0).size(), 1);
        QVERIFY(OfficeOf(1).isEmpty());
        again.reset();
        QVERIFY(Offices(root_.path()).isEmpty());
        // The office keeps the seed when it writes its settings back, so the next start is fast.
        QFile registry(root_.path() + QStringLiteral("/profile-0/user/registrymodifications.xcu"));
        QVERIFY(registry.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(registry.readAll())
                    .contains(QRegularExpression(QStringLiteral(
                        "ooSetupLastVersion\" oor:op=\"fuse\"><value>\\d+\\.\\d+</value>"))));
    }

    void cleanupTestCase()
    {
        QVERIFY(Offices(root_.path()).isEmpty());
        // Offices that were killed leave no pipes behind.
        const QString ours =
            QStringLiteral("OSL_PIPE_*_quirefold_%1_*").arg(QCoreApplication::applicationPid());
        QCOMPARE(QDir(QStringLiteral("/tmp")).entryList({ours}, QDir::System), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestLibreOffice)
#include "test_libreoffice.moc"
