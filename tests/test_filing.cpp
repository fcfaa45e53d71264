#include "runs/FilingCheckRun.h"
#include "support/MemoryWindow.h"
#include "support/PdfFixtures.h"
#include "support/RunToEnd.h"
#include "support/TestFolder.h"

#include <qpdf/QPDFWriter.hh>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>

#include <map>
#include <set>

using namespace qf;

namespace {

// A one-page PDF of the page's size (points) and content; change adds to it before it is written.
void WritePdf(const QString &path, double width, double height, const std::string &content,
              const std::function<void(QPDF &, QPDFObjectHandle page)> &change = {},
              const std::function<void(QPDFWriter &)> &writing = {})
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 " + std::to_string(width) + ' ' +
                                std::to_string(height) + "] /Resources << >> >>"));
    page.replaceKey("/Contents", pdf.newStream(content));
    pdf.addPage(page, false);
    if (change)
        change(pdf, pdf.getAllPages().front());
    const QByteArray target = QFile::encodeName(path);
    QPDFWriter writer(pdf, target.constData());
    if (writing)
        writing(writer);
    writer.write();
}

struct Run {
    int exitCode = -1;
    QJsonObject report;
};

Run CheckFiling(const QStringList &arguments)
{
    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                QStringList{"--check-filing", "--json", "-q"} + arguments);
    Run run;
    if (!batch.waitForFinished(120000))
        return run;
    run.exitCode = batch.exitCode();
    run.report = QJsonDocument::fromJson(batch.readAllStandardOutput()).object();
    return run;
}

// Each file's kinds of finding, by file name.
std::map<QString, std::set<QString>> KindsByFile(const QJsonObject &report)
{
    std::map<QString, std::set<QString>> kinds;
    for (const QJsonValue finding : report["findings"].toArray())
        kinds[QFileInfo(finding["file"].toString()).fileName()].insert(finding["kind"].toString());
    return kinds;
}

const double kA4Width = 595.276, kA4Height = 841.89;

} // namespace

// A file for each kind of finding, and two that have none: an A4 page and one turned.
void WriteFolderOfFindings(const TestFolder &folder)
{
    const std::string line = "0 0 m 100 100 l S";
    WritePdf(folder.file("A plain one.pdf"), kA4Width, kA4Height, line);
    WritePdf(folder.file("B landscape.pdf"), kA4Height, kA4Width, line); // A4 turned: as it is
    WritePdf(folder.file("C plan.pdf"), 1190.55, 841.89, line);          // A3 landscape
    WritePdf(folder.file("D letter.pdf"), 612, 792, line); // not the first page's size
    WritePdf(folder.file("E form.pdf"), kA4Width, kA4Height, line, [](QPDF &pdf, auto page) {
        QPDFObjectHandle field = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /V (Jane Doe) /DA (/Helv 12 Tf 0 "
            "g) /Rect [72 72 272 96] >>"));
        field.replaceKey("/P", page);
        page.replaceKey("/Annots", QPDFObjectHandle::newArray({field}));
        QPDFObjectHandle form = QPDFObjectHandle::parse(
            "<< /NeedAppearances true /DR << /Font << /Helv << /Type /Font /Subtype /Type1 "
            "/BaseFont /Helvetica >> >> >> >>");
        form.replaceKey("/Fields", QPDFObjectHandle::newArray({field}));
        pdf.getRoot().replaceKey("/AcroForm", form);
    });
    WritePdf(folder.file("F script.pdf"), kA4Width, kA4Height, line, [](QPDF &pdf, auto) {
        pdf.getRoot().replaceKey(
            "/OpenAction", QPDFObjectHandle::parse("<< /S /JavaScript /JS (app.alert(1)) >>"));
    });
    WritePdf(folder.file("G attached.pdf"), kA4Width, kA4Height, line, [](QPDF &pdf, auto) {
        QPDFObjectHandle file = pdf.newStream("data");
        QPDFObjectHandle entry = QPDFObjectHandle::parse("<< /Type /Filespec /F (data.csv) >>");
        entry.replaceKey("/EF", QPDFObjectHandle::newDictionary({{"/F", file}}));
        pdf.getRoot().replaceKey(
            "/Names",
            QPDFObjectHandle::newDictionary(
                {{"/EmbeddedFiles",
                  QPDFObjectHandle::newDictionary(
                      {{"/Names", QPDFObjectHandle::newArray(
                                      {QPDFObjectHandle::newString("data.csv"), entry})}})}}));
    });
    WritePdf(folder.file("H font.pdf"), kA4Width, kA4Height, "BT /F1 12 Tf 72 720 Td (Words) Tj ET",
             [](QPDF &, auto page) {
                 page.replaceKey("/Resources", QPDFObjectHandle::parse(
                                                   "<< /Font << /F1 << /Type /Font /Subtype /Type1 "
                                                   "/BaseFont /Helvetica >> >> >>"));
             });
    WritePdf(folder.file("I locked.pdf"), kA4Width, kA4Height, line, {}, [](QPDFWriter &w) {
        w.setR6EncryptionParameters("", "owner", true, false, true, true, true, true, qpdf_r3p_none,
                                    true); // opens, but may not be printed
    });
    WritePdf(folder.file("J scan.pdf"), kA4Width, kA4Height, "q 400 0 0 400 72 300 cm /Im Do Q",
             [](QPDF &pdf, auto page) {
                 QPDFObjectHandle image = pdf.newStream(std::string(64 * 64, '\x80'));
                 image.replaceDict(QPDFObjectHandle::parse(
                     "<< /Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace "
                     "/DeviceGray /BitsPerComponent 8 >>"));
                 page.replaceKey(
                     "/Resources",
                     QPDFObjectHandle::newDictionary(
                         {{"/XObject", QPDFObjectHandle::newDictionary({{"/Im", image}})}}));
             });
}

class TestFiling : public QObject {
    Q_OBJECT

private slots:
    void findingsNameEachFileWithItsKind();
    void aVolumeOverTheLimitIsFound();
    void theWindowSaysWhatItFound();
    void aFilingCopyTakesOutWhatPortalsRefuse();
};

void TestFiling::findingsNameEachFileWithItsKind()
{
    TestFolder folder;
    WriteFolderOfFindings(folder);
    const QStringList before = QDir(folder.path()).entryList(QDir::Files);

    const Run run = CheckFiling({folder.path()});
    QCOMPARE(run.exitCode, 1);
    const std::map<QString, std::set<QString>> expected = {
        {"C plan.pdf", {"page-size"}},      {"D letter.pdf", {"page-size"}},
        {"E form.pdf", {"form"}},           {"F script.pdf", {"javascript"}},
        {"G attached.pdf", {"attachment"}}, {"H font.pdf", {"font-not-embedded"}},
        {"I locked.pdf", {"encrypted"}},    {"J scan.pdf", {"no-text"}}};
    QCOMPARE(KindsByFile(run.report), expected);
    QJsonObject font;
    for (const QJsonValue finding : run.report["findings"].toArray())
        if (finding["kind"] == "font-not-embedded")
            font = finding.toObject();
    QCOMPARE(font["page"].toInt(), 1);
    QVERIFY2(font["detail"].toString().contains("Helvetica"),
             qPrintable(font["detail"].toString()));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), before); // nothing stored, nothing made
    // Pages of one size chosen: the plan and the letter take it, and are not named.
    const Run sized = CheckFiling({"--page-size", "letter", folder.path()});
    std::map<QString, std::set<QString>> fitted = expected;
    fitted.erase("C plan.pdf");
    fitted.erase("D letter.pdf");
    QCOMPARE(KindsByFile(sized.report), fitted);
    // A filing copy takes out forms, scripts, attached files and restrictions.
    const Run copy = CheckFiling({"--for-filing", folder.path()});
    std::map<QString, std::set<QString>> kept = expected;
    for (const char *taken : {"E form.pdf", "F script.pdf", "G attached.pdf", "I locked.pdf"})
        kept.erase(taken);
    QCOMPARE(KindsByFile(copy.report), kept);

    // A folder of plain A4 pages has nothing to say.
    TestFolder plain;
    WritePdf(plain.file("a.pdf"), kA4Width, kA4Height, "0 0 m 100 100 l S");
    const Run clean = CheckFiling({plain.path()});
    QCOMPARE(clean.exitCode, 0);
    QCOMPARE(clean.report["findings"].toArray(), QJsonArray());
}

void TestFiling::aVolumeOverTheLimitIsFound()
{
    TestFolder folder;
    WritePdf(folder.file("a.pdf"), kA4Width, kA4Height, "0 0 m 1 1 l S");
    // Noise does not compress: the file stays over the limit.
    QByteArray noise(1'200'000, '\0');
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    WritePdf(folder.file("b.pdf"), kA4Width, kA4Height, "0 0 m 1 1 l S", [&](QPDF &pdf, auto page) {
        page.replaceKey("/PieceInfo", QPDFObjectHandle::newDictionary(
                                          {{"/Noise", pdf.newStream(noise.toStdString())}}));
    });
    const Run run = CheckFiling({"--volume-limit", "1 MB", folder.path()});
    QCOMPARE(run.exitCode, 1);
    const QJsonArray findings = run.report["findings"].toArray();
    QCOMPARE(findings.size(), 1);
    QCOMPARE(findings.at(0)["kind"].toString(), "size");
    QVERIFY2(findings.at(0)["file"].toString().endsWith("(Volume 2 of 2).pdf"),
             qPrintable(findings.at(0)["file"].toString()));
}

void TestFiling::theWindowSaysWhatItFound()
{
    TestFolder folder;
    WritePdf(folder.file("a.pdf"), kA4Width, kA4Height, "0 0 m 1 1 l S");
    WritePdf(folder.file("b.pdf"), 420, 595, "0 0 m 1 1 l S"); // A5
    Workspace ws = Workspace::FromArguments({folder.path()});
    MemoryWindow window;
    for (const char *name : {"a.pdf", "b.pdf"})
        window.pdfList.AddItem(name);
    NoSound sound;
    NoBookViewer viewer;
    const RunContext ctx{ws, window, sound, viewer, QString()};
    const auto check = [&] {
        RunToEnd([&](std::function<void()> ended) { FilingCheckRun(ctx, std::move(ended)); });
        return window.messages.shown().last().text;
    };
    QCOMPARE(check(), "Nothing a filing portal usually refuses was found."); // none ticked
    for (int i = 0; i < 2; ++i)
        window.pdfList.SetTicked(i, true);
    const QString said = check();
    QVERIFY2(said.startsWith("What a filing portal usually refuses, found in the book:\n\n" +
                             folder.file("b.pdf") + ", page 1: 1 page"),
             qPrintable(said));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"a.pdf", "b.pdf"}));
}

void TestFiling::aFilingCopyTakesOutWhatPortalsRefuse()
{
    TestFolder folder;
    WriteFolderOfFindings(folder);
    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                {"--compile", "--for-filing", "--json", "-q", folder.path()});
    QVERIFY(batch.waitForFinished(120000));
    const QJsonObject report = QJsonDocument::fromJson(batch.readAllStandardOutput()).object();
    std::map<QString, std::set<QString>> changes;
    for (const QJsonValue change : report["changes"].toArray())
        changes[QFileInfo(change["file"].toString()).fileName()].insert(
            change["change"].toString());
    const std::map<QString, std::set<QString>> expected = {
        {"E form.pdf", {"1 form field flattened"}},
        {"F script.pdf", {"its scripts were removed"}},
        {"G attached.pdf", {"1 attached file removed"}},
        {"I locked.pdf", {"its restrictions were not carried into the book"}}};
    QCOMPARE(changes, expected);
    const QString path = report["book"]["path"].toString();
    auto book = ReadPdf(path);
    QPDFObjectHandle root = book->getRoot();
    QVERIFY(!root.hasKey("/AcroForm") && !root.hasKey("/OpenAction"));
    QVERIFY(!root.getKey("/Names").hasKey("/JavaScript") &&
            !root.getKey("/Names").hasKey("/EmbeddedFiles"));
    QVERIFY(!book->getTrailer().hasKey("/Encrypt"));
    QVERIFY(root.getKey("/ViewerPreferences").getKey("/DisplayDocTitle").isBool());
    for (QPDFObjectHandle page : book->getAllPages())
        for (QPDFObjectHandle annotation : page.getKey("/Annots").aitems())
            QVERIFY(!annotation.getKey("/Subtype").isNameAndEquals("/Widget"));
    // The field's value is printed on its page, as text.
    QVERIFY(ProgramOutput("pdftotext", {path, "-"}).contains("Jane Doe"));
    QCOMPARE(RunQpdf({"--check", path}), 0);
}

QTEST_GUILESS_MAIN(TestFiling)
#include "test_filing.moc"
