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

// Changes a one-page PDF before it is written, and how it is written.
using Change = std::function<void(QPDF &, QPDFObjectHandle page)>;
using Writing = std::function<void(QPDFWriter &)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Writing)

namespace {

QPDFObjectHandle Parsed(QPDF &pdf, const std::string &text)
{
    return pdf.makeIndirectObject(QPDFObjectHandle::parse(text));
}

void AddAnnotation(QPDFObjectHandle page, QPDFObjectHandle annotation)
{
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray())
        annotations = QPDFObjectHandle::newArray();
    annotation.replaceKey("/P", page);
    annotations.appendItem(annotation);
    page.replaceKey("/Annots", annotations);
}

// A link over the page's corner whose action is action.
Change Link(const std::string &action)
{
    return [action](QPDF &pdf, QPDFObjectHandle page) {
        QPDFObjectHandle link =
            Parsed(pdf, "<< /Type /Annot /Subtype /Link /Rect [72 72 144 96] /Border [0 0 0] >>");
        link.replaceKey("/A", QPDFObjectHandle::parse(action));
        AddAnnotation(page, link);
    };
}

// A text field's widget showing text in the font /F0 (fontDictionary), through an appearance of
// its own; listed in a form or not, whose viewers draw it anew or not.
Change Field(const std::string &fontDictionary, bool listed, bool drawAnew,
             const std::string &text = "Filed value")
{
    return [=](QPDF &pdf, QPDFObjectHandle page) {
        QPDFObjectHandle font = Parsed(pdf, fontDictionary);
        QPDFObjectHandle look =
            pdf.newStream("/Tx BMC BT /F0 10 Tf 2 6 Td (" + text + ") Tj ET EMC");
        look.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form /BBox [0 0 200 "
                                                 "24] >>"));
        look.getDict().replaceKey(
            "/Resources", QPDFObjectHandle::newDictionary(
                              {{"/Font", QPDFObjectHandle::newDictionary({{"/F0", font}})}}));
        QPDFObjectHandle field = Parsed(pdf, "<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) "
                                             "/DA (/F0 10 Tf 0 g) /Rect [72 600 272 624] >>");
        field.replaceKey("/V", QPDFObjectHandle::newUnicodeString(text));
        field.replaceKey("/AP", QPDFObjectHandle::newDictionary({{"/N", look}}));
        AddAnnotation(page, field);
        if (!listed)
            return;
        QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
        form.replaceKey("/Fields", QPDFObjectHandle::newArray({field}));
        form.replaceKey("/DR", QPDFObjectHandle::newDictionary(
                                   {{"/Font", QPDFObjectHandle::newDictionary({{"/F0", font}})}}));
        form.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(drawAnew));
        pdf.getRoot().replaceKey("/AcroForm", form);
    };
}

const std::string kVerdana = "<< /Type /Font /Subtype /TrueType /BaseFont /Verdana /FirstChar 32 "
                             "/LastChar 126 /Encoding /WinAnsiEncoding >>";
const std::string kHelvetica =
    "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";

// A font whose program is embedded under key, with the text it shows.
Change EmbeddedFontText(const char *key, const char *subtype)
{
    return [=](QPDF &pdf, QPDFObjectHandle page) {
        QPDFObjectHandle program = pdf.newStream(std::string(64, '\x01'));
        QPDFObjectHandle descriptor =
            Parsed(pdf, "<< /Type /FontDescriptor /FontName /Embedded /Flags 32 /FontBBox [0 0 "
                        "1000 1000] /ItalicAngle 0 /Ascent 800 /Descent -200 /CapHeight 700 "
                        "/StemV 80 >>");
        descriptor.replaceKey(key, program);
        QPDFObjectHandle font = Parsed(pdf, "<< /Type /Font /BaseFont /Embedded >>");
        font.replaceKey("/Subtype", QPDFObjectHandle::newName(subtype));
        font.replaceKey("/FontDescriptor", descriptor);
        page.replaceKey("/Resources",
                        QPDFObjectHandle::newDictionary(
                            {{"/Font", QPDFObjectHandle::newDictionary({{"/F1", font}})}}));
        page.replaceKey("/Contents", pdf.newStream("BT /F1 12 Tf 72 720 Td (Words) Tj ET"));
    };
}

// Each action a book holds, its chains and events followed, and each annotation's subtype.
std::set<std::string> ActionsAndAnnotations(QPDF &book)
{
    std::set<std::string> found;
    for (QPDFObjectHandle object : book.getAllObjects()) {
        QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
        if (!dictionary.isDictionary())
            continue;
        if (dictionary.getKey("/S").isName())
            found.insert(dictionary.getKey("/S").getName());
        if (dictionary.getKey("/Type").isNameAndEquals("/Annot"))
            found.insert(dictionary.getKey("/Subtype").getName());
    }
    return found;
}

// Whether every font pdffonts lists in the file is embedded.
bool EveryFontEmbedded(const QString &path, QString &fonts)
{
    fonts = ProgramOutput("pdffonts", {path});
    const QStringList lines = fonts.split('\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList columns = lines.at(i).split(' ', Qt::SkipEmptyParts);
        if (columns.size() < 6 || columns.at(columns.size() - 5) != "yes")
            return false;
    }
    return lines.size() > 2;
}

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
    void eachSourceIsFoundAsTheBookHoldsIt_data();
    void eachSourceIsFoundAsTheBookHoldsIt();
    void aFilingCopyHoldsNothingPortalsRefuse_data();
    void aFilingCopyHoldsNothingPortalsRefuse();
    void pagesTheBookMakesTakeItsSize_data();
    void pagesTheBookMakesTakeItsSize();
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

void TestFiling::eachSourceIsFoundAsTheBookHoldsIt_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<Writing>("writing");
    QTest::addColumn<double>("width");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("kinds"); // of the source's findings, in a book after an A4 one
    QTest::addColumn<QString>("said");      // in the detail of one of them

    const Change none;
    const Writing plain;
    const QStringList filing{"--for-filing"};
    QTest::newRow("font of a field's appearance")
        << Field(kVerdana, true, false) << plain << kA4Width << filing
        << QStringList{"font-not-embedded"} << "Verdana";
    QTest::newRow("font of a field drawn anew")
        << Field(kVerdana, true, true) << plain << kA4Width << filing
        << QStringList{"font-not-embedded"} << "Verdana";
    QTest::newRow("standard font of a field drawn anew, which the copy embeds")
        << Field(kHelvetica, true, true) << plain << kA4Width << filing << QStringList{}
        << QString();
    QTest::newRow("font of a widget no form lists")
        << Field(kVerdana, false, false) << plain << kA4Width << filing
        << QStringList{"font-not-embedded"} << "Verdana";
    QTest::newRow("font of a note's appearance") << Change([](QPDF &pdf, QPDFObjectHandle page) {
        QPDFObjectHandle look = pdf.newStream("BT /F0 10 Tf 2 6 Td (Note) Tj ET");
        look.replaceDict(
            QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form /BBox [0 0 100 20] >>"));
        look.getDict().replaceKey(
            "/Resources",
            QPDFObjectHandle::newDictionary(
                {{"/Font", QPDFObjectHandle::newDictionary({{"/F0", Parsed(pdf, kVerdana)}})}}));
        QPDFObjectHandle note = Parsed(pdf, "<< /Type /Annot /Subtype /FreeText /Rect [72 "
                                            "72 172 92] /DA (/F0 10 Tf) >>");
        note.replaceKey("/AP", QPDFObjectHandle::newDictionary({{"/N", look}}));
        AddAnnotation(page, note);
    }) << plain << kA4Width << QStringList{} << QStringList{"font-not-embedded"}
                                                 << "Verdana";
    QTest::newRow("widget no form lists") << Field(kHelvetica, false, false) << plain << kA4Width
                                          << QStringList{} << QStringList{"form"} << "1 form field";
    QTest::newRow("launch action")
        << Link("<< /S /Launch /F (calc.exe) >>") << plain << kA4Width << QStringList{}
        << QStringList{"active-content"} << "launch actions";
    QTest::newRow("form submission on a page's event") << Change([](QPDF &, QPDFObjectHandle page) {
        page.replaceKey("/AA", QPDFObjectHandle::parse(
                                   "<< /O << /S /SubmitForm /F (https://example.org) >> >>"));
    }) << plain << kA4Width << QStringList{} << QStringList{"active-content"}
                                                       << "form submissions";
    QTest::newRow("rich media") << Change([](QPDF &pdf, QPDFObjectHandle page) {
        AddAnnotation(page, Parsed(pdf, "<< /Type /Annot /Subtype /RichMedia /Rect [0 0 "
                                        "100 100] >>"));
    }) << plain << kA4Width << QStringList{}
                                << QStringList{"active-content"} << "rich media";
    QTest::newRow("script only through an action's /Next")
        << Link("<< /S /GoTo /D [0 /Fit] /Next [<< /S /URI /URI (https://example.org) >> << /S "
                "/JavaScript /JS (app.alert(1)) >>] >>")
        << plain << kA4Width << QStringList{} << QStringList{"javascript"} << "in links";
    QTest::newRow("embedded TrueType") << EmbeddedFontText("/FontFile2", "/TrueType") << plain
                                       << kA4Width << QStringList{} << QStringList{} << QString();
    QTest::newRow("embedded CFF") << EmbeddedFontText("/FontFile3", "/Type1") << plain << kA4Width
                                  << QStringList{} << QStringList{} << QString();
    QTest::newRow("encrypted, everything allowed")
        << none << Writing([](QPDFWriter &w) {
               w.setR6EncryptionParameters("", "owner", true, true, true, true, true, true,
                                           qpdf_r3p_full, true);
           })
        << kA4Width << QStringList{} << QStringList{"encrypted"}
        << "has a password to change it, and no restrictions";
    QTest::newRow("Letter page in an A4 book")
        << none << plain << 612.0 << QStringList{} << QStringList{"page-size"}
        << "not the size of the book's other pages";
}

void TestFiling::eachSourceIsFoundAsTheBookHoldsIt()
{
    QFETCH(Change, change);
    QFETCH(Writing, writing);
    QFETCH(double, width);
    QFETCH(QStringList, options);
    QFETCH(QStringList, kinds);
    QFETCH(QString, said);
    TestFolder folder;
    WritePdf(folder.file("a.pdf"), kA4Width, kA4Height, "0 0 m 1 1 l S");
    WritePdf(folder.file("b.pdf"), width, width == kA4Width ? kA4Height : 792, "0 0 m 1 1 l S",
             change, writing);
    const Run run = CheckFiling(options + QStringList{folder.path()});
    std::map<QString, std::set<QString>> expected;
    if (!kinds.isEmpty())
        expected["b.pdf"] = std::set<QString>(kinds.begin(), kinds.end());
    QCOMPARE(KindsByFile(run.report), expected);
    QCOMPARE(run.exitCode, kinds.isEmpty() ? 0 : 1);
    QStringList details;
    for (const QJsonValue finding : run.report["findings"].toArray())
        details.append(finding["detail"].toString());
    QVERIFY2(said.isEmpty() || details.join('\n').contains(said), qPrintable(details.join('\n')));
}

void TestFiling::aFilingCopyHoldsNothingPortalsRefuse_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("changed"); // what the run says of the source
    QTest::addColumn<QString>("text");    // the page shows, the form's included
    QTest::addColumn<bool>("embedded");   // every font, as the copy draws the form anew

    QTest::newRow("link running a script") << Link("<< /S /JavaScript /JS (app.alert(1)) >>")
                                           << "its scripts were removed" << QString() << false;
    QTest::newRow("script chained through /Next")
        << Link("<< /S /URI /URI (https://example.org) /Next << /S /JavaScript /JS (app.alert(1)) "
                ">> >>")
        << "its scripts were removed" << QString() << false;
    QTest::newRow("launch action")
        << Link("<< /S /Launch /F (calc.exe) >>")
        << "its active content was removed (launch actions)" << QString() << false;
    QTest::newRow("data import on a page's event") << Change([](QPDF &, QPDFObjectHandle page) {
        page.replaceKey("/AA",
                        QPDFObjectHandle::parse("<< /C << /S /ImportData /F (data.fdf) >> >>"));
    }) << "its active content was removed (data imports)"
                                                   << QString() << false;
    QTest::newRow("rich media") << Change([](QPDF &pdf, QPDFObjectHandle page) {
        AddAnnotation(page, Parsed(pdf, "<< /Type /Annot /Subtype /RichMedia /Rect [0 0 "
                                        "100 100] >>"));
    }) << "its active content was removed (rich media)"
                                << QString() << false;
    QTest::newRow("widget no form lists")
        << Field("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", false, false)
        << "1 form field flattened"
        << "Filed value" << false;
    QTest::newRow("field drawn anew in Helvetica")
        << Field(kHelvetica, true, true, "Grüße an Zoë") << "1 form field flattened"
        << "Grüße an Zoë" << true;
    QTest::newRow("field drawn anew in Times bold")
        << Field("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Bold >>", true, true, "Clerk")
        << "1 form field flattened"
        << "Clerk" << true;
}

void TestFiling::aFilingCopyHoldsNothingPortalsRefuse()
{
    QFETCH(Change, change);
    QFETCH(QString, changed);
    QFETCH(QString, text);
    QFETCH(bool, embedded);
    TestFolder folder;
    WritePdf(folder.file("a.pdf"), kA4Width, kA4Height, "0 0 m 1 1 l S", change);
    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                {"--compile", "--for-filing", "--json", "-q", folder.path()});
    QVERIFY(batch.waitForFinished(120000));
    const QJsonObject report = QJsonDocument::fromJson(batch.readAllStandardOutput()).object();
    QStringList changes;
    for (const QJsonValue said : report["changes"].toArray())
        changes.append(said["change"].toString());
    QCOMPARE(changes, QStringList{changed});
    const QString path = report["book"]["path"].toString();
    QCOMPARE(RunQpdf({"--check", path}), 0);
    auto book = ReadPdf(path);
    const std::set<std::string> held = ActionsAndAnnotations(*book);
    for (const char *refused : {"/JavaScript", "/Launch", "/SubmitForm", "/ImportData",
                                "/RichMediaExecute", "/RichMedia", "/Widget"})
        QVERIFY2(!held.count(refused), refused);
    QVERIFY(!book->getRoot().hasKey("/AcroForm"));
    QVERIFY2(ProgramOutput("pdftotext", {path, "-"}).contains(text),
             qPrintable(ProgramOutput("pdftotext", {path, "-"})));
    QString fonts;
    QVERIFY2(!embedded || EveryFontEmbedded(path, fonts), qPrintable(fonts));
}

void TestFiling::pagesTheBookMakesTakeItsSize_data()
{
    QTest::addColumn<QList<double>>("widths"); // each document's, three pages each
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<double>("madeWidth");  // of the index and the blank sheets
    QTest::addColumn<QStringList>("found"); // the check's kinds, by file or the book

    const QStringList bundle{"--index-page", "--blank-sheets"};
    QTest::newRow("Letter folder") << QList<double>{612, 612} << bundle << 612.0 << QStringList{};
    QTest::newRow("A4 folder") << QList<double>{kA4Width, kA4Width} << bundle << kA4Width
                               << QStringList{};
    QTest::newRow("Letter folder of one size chosen")
        << QList<double>{612, 612} << bundle + QStringList{"--page-size", "letter"} << 612.0
        << QStringList{};
    QTest::newRow("Letter and A4: an A4 index")
        << QList<double>{612, kA4Width} << bundle << kA4Width << QStringList{"a.pdf: page-size"};
    QTest::newRow("Letter and A4 without an index: an A4 blank sheet")
        << QList<double>{612, kA4Width} << QStringList{"--blank-sheets"} << kA4Width
        << QStringList{"Book.pdf: page-size", "b.pdf: page-size"};
}

void TestFiling::pagesTheBookMakesTakeItsSize()
{
    QFETCH(QList<double>, widths);
    QFETCH(QStringList, options);
    QFETCH(double, madeWidth);
    QFETCH(QStringList, found);
    TestFolder folder;
    const QStringList names{"a.pdf", "b.pdf"};
    for (qsizetype i = 0; i < widths.size(); ++i)
        WritePdf(folder.file(names.at(i)), widths.at(i), widths.at(i) == 612 ? 792 : kA4Height,
                 "0 0 m 1 1 l S", [](QPDF &pdf, QPDFObjectHandle page) {
                     pdf.addPage(page.shallowCopy(), false);
                     pdf.addPage(page.shallowCopy(), false);
                 });
    const Run run = CheckFiling(options + QStringList{"--output", "Book.pdf", folder.path()});
    QStringList kinds;
    for (const QJsonValue finding : run.report["findings"].toArray())
        kinds.append(QFileInfo(finding["file"].toString()).fileName() + ": " +
                     finding["kind"].toString());
    kinds.sort();
    QCOMPARE(kinds, found);

    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                QStringList{"--compile", "--json", "-q", "--output", "Book.pdf"} + options +
                    QStringList{folder.path()});
    QVERIFY(batch.waitForFinished(120000));
    const QJsonObject report = QJsonDocument::fromJson(batch.readAllStandardOutput()).object();
    auto book = ReadPdf(report["book"]["path"].toString());
    // The documents' pages, then what the book made: the index, its sheet, the sheet between.
    std::vector<QPDFObjectHandle> pages = book->getAllPages();
    const bool index = options.contains("--index-page");
    QCOMPARE(int(pages.size()), 6 + 1 + (index ? 2 : 0));
    std::vector<int> made = {index ? 5 : 3};
    if (index)
        made.insert(made.end(), {0, 1});
    for (const int at : made) {
        const QPDFObjectHandle::Rectangle box =
            pages.at(size_t(at)).getKey("/MediaBox").getArrayAsRectangle();
        QCOMPARE(qRound(box.urx - box.llx), qRound(madeWidth));
    }
}

QTEST_GUILESS_MAIN(TestFiling)
#include "test_filing.moc"
