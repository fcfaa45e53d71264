#include "book/PdfFile.h"
#include "compile/CompileBook.h"
#include "compile/Volumes.h"
#include "support/PdfFixtures.h"
#include "support/TestFolder.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace qf;

namespace {

struct NoViewer : BookViewer {
    QStringList shown;
    bool ShowBook(const QString &path) override
    {
        shown.append(path);
        return true;
    }
};

struct StoppingObserver : SilentObserver {
    int stopAt = -1; // the user stops when the compile comes to this file of a volume
    int files = 0;
    void At(const QString &, int step) override { files += step >= 0 ? 1 : 0; }
    bool StopRequested() override { return stopAt >= 0 && files > stopAt; }
};

// The volume's page labels as a viewer shows them, one per page.
QStringList Labels(const QString &path)
{
    const QJsonObject json =
        QJsonDocument::fromJson(
            ProgramOutput("qpdf", {"--json", "--json-key=pages", path}).toUtf8())
            .object();
    QStringList labels;
    for (const QJsonValue &page : json["pages"].toArray()) {
        const QJsonValue label = page["label"];
        labels.append(label["/P"].toString().mid(2) +
                      (label["/S"] == "/D" ? QString::number(label["/St"].toInt()) : QString()));
    }
    return labels;
}

// Gives the PDF's first page links to page (zero-based) of each file, as a link to a file beside
// it does, then one to its own last page by the name every such PDF gives it, "end".
void LinkTo(const QString &path, const QList<std::pair<QString, int>> &targets)
{
    QPDF pdf;
    pdf.processFile(QFile::encodeName(path).constData());
    QPDFObjectHandle annotations = QPDFObjectHandle::newArray();
    for (const auto &[file, page] : targets)
        annotations.appendItem(pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Link /Rect [0 0 10 10] /A << /S /GoToR /F (" +
            file.toStdString() + ") /D [" + std::to_string(page) + " /Fit] >> >>")));
    annotations.appendItem(pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Link /Rect [0 0 10 10] /A << /S /GoTo /D (end) >> >>")));
    pdf.getRoot().replaceKey(
        "/Dests", QPDFObjectHandle::newDictionary(
                      {{"/end", QPDFObjectHandle::newArray({pdf.getAllPages().back(),
                                                            QPDFObjectHandle::newName("/Fit")})}}));
    QPDFObjectHandle first = pdf.getAllPages().front();
    first.replaceKey("/Annots", annotations);
    const QByteArray target = QFile::encodeName(path + ".new");
    QPDFWriter writer(pdf, target.constData()); // keeps the name, not a copy
    writer.write();
    QVERIFY(QFile::remove(path) && QFile::rename(path + ".new", path));
}

// Where the page's links lead: "GoTo PAGE" inside the PDF, by name or not, "FILE PAGE" to
// another.
QStringList LinksOf(const QString &path, size_t page = 0)
{
    auto pdf = ReadPdf(path);
    QStringList links;
    const std::vector<QPDFObjectHandle> &pages = pdf->getAllPages();
    QPDFNameTreeObjectHelper names(pdf->getRoot().getKey("/Names").getKey("/Dests"), *pdf);
    for (QPDFObjectHandle annot : QPDFObjectHandle(pages.at(page)).getKey("/Annots").aitems()) {
        QPDFObjectHandle go = annot.getKey("/A");
        if (!go.isDictionary())
            continue;
        QPDFObjectHandle to = go.getKey("/D");
        if (QPDFObjectHandle named; to.isString() && names.findObject(to.getUTF8Value(), named))
            to = named.isDictionary() ? named.getKey("/D") : named;
        to = to.getArrayItem(0);
        if (go.getKey("/S").isNameAndEquals("/GoTo")) {
            for (size_t i = 0; i < pages.size(); ++i)
                if (pages[i].getObjGen() == to.getObjGen())
                    links.append(QString("GoTo %1").arg(i));
        } else {
            links.append(
                QString("%1 %2")
                    .arg(QString::fromStdString(go.getKey("/F").getKey("/UF").getUTF8Value()))
                    .arg(to.getIntValue()));
        }
    }
    return links;
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestVolumes : public QObject {
    Q_OBJECT

private slots:
    void limitsAsTheyAreWritten_data();
    void limitsAsTheyAreWritten();
    void cutsFallBetweenDocuments_data();
    void cutsFallBetweenDocuments();
    void volumesAreWholeBooksNumberedOn();
    void theFirstVolumesIndexListsEveryDocument();
    void leftOutPdfKeepsItsPlaceInVolumes_data();
    void leftOutPdfKeepsItsPlaceInVolumes();
    void linksLeadIntoTheVolumeThatHoldsTheirPdf_data();
    void linksLeadIntoTheVolumeThatHoldsTheirPdf();
    void sizeCapsHoldOnTheBytesWritten();
    void setsAreNeverMixed();
    void batchStoresTheLimitAndReportsTheVolumes();

private:
    // Documents a.pdf, b.pdf ... with these page counts, all in the request, blank sheets on.
    struct Folder {
        TestFolder folder;
        CompileRequest request;
        explicit Folder(const QList<int> &pages);
        QString output() const { return folder.file("PDFCompile Output"); }
    };
};

TestVolumes::Folder::Folder(const QList<int> &pages)
{
    for (int i = 0; i < pages.size(); ++i) {
        const QString name = QString("%1.pdf").arg(QChar('a' + i));
        MakePdf(folder.file(name), pages[i], 100 * i);
        request.names.append(name);
    }
    request.workingFolder = folder.path();
    request.bookName = "Bundle.pdf";
    request.blankSheets = true;
    request.programFolder = QStringLiteral(QUIREFOLD_PROGRAM_FOLDER);
}

void TestVolumes::limitsAsTheyAreWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // empty: refused
    QTest::newRow("pages") << "300 pages"
                           << "300 pages";
    QTest::newRow("one page, any case") << " 1 Page "
                                        << "1 page";
    QTest::newRow("pages in German, stored in English") << "8 Seiten"
                                                        << "8 pages";
    QTest::newRow("one page in German") << "1 seite"
                                        << "1 page";
    QTest::newRow("megabytes") << "20 MB"
                               << "20 MB";
    QTest::newRow("a part of one") << "2.5mb"
                                   << "2.5 MB";
    for (const char *refused :
         {"", "300", "0 pages", "1.5 pages", "20 GB", "-3 pages", "0 MB", "8 Seitenzahl"})
        QTest::newRow(qPrintable(QString("refused: '%1'").arg(refused))) << refused << "";
}

void TestVolumes::limitsAsTheyAreWritten()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    QString problem;
    const std::optional<VolumeLimit> limit = VolumeLimit::Parse(text, &problem);
    QCOMPARE(limit ? limit->Text() : QString(), read);
    QCOMPARE(problem.isEmpty(), limit.has_value());
}

void TestVolumes::cutsFallBetweenDocuments_data()
{
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("cuts"); // each volume's documents; * for one alone over the limit
    // Blank sheets count: 3 + sheet + 1 is five pages.
    QTest::newRow("pages, sheets counted") << QList<int>{3, 1, 2, 2} << "5 pages"
                                           << "ab cd";
    QTest::newRow("filled as far as it goes") << QList<int>{1, 1, 1, 1, 1} << "4 pages"
                                              << "ab cd e";
    QTest::newRow("one over the limit") << QList<int>{2, 9, 2} << "4 pages"
                                        << "a b* c";
    QTest::newRow("a left-out one takes no room") << QList<int>{2, 0, 2} << "4 pages"
                                                  << "abc";
    // A document's bytes are a thousand for each of its pages, a volume's their sum.
    QTest::newRow("bytes") << QList<int>{3, 3, 3, 1, 5} << "0.007 MB"
                           << "ab cd e";
    QTest::newRow("bytes, one over") << QList<int>{9, 1} << "0.005 MB"
                                     << "a* b";
}

void TestVolumes::cutsFallBetweenDocuments()
{
    QFETCH(QList<int>, pages);
    QFETCH(QString, limit);
    QFETCH(QString, cuts);
    const auto bytesOf = [&](int first, int count, int) {
        qint64 bytes = 0;
        for (int i = first; i < first + count; ++i)
            bytes += 1000 * pages[i];
        return bytes;
    };
    QStringList got;
    for (const VolumeCut &cut : CutIntoVolumes(pages, true, *VolumeLimit::Parse(limit), bytesOf)) {
        QString volume;
        for (int i = cut.first; i < cut.first + cut.count; ++i)
            volume += QChar('a' + i);
        got.append(volume + (cut.overLimit ? "*" : ""));
    }
    QCOMPARE(got.join(' '), cuts);
}

void TestVolumes::volumesAreWholeBooksNumberedOn()
{
    Folder f({3, 1, 2, 2});
    f.request.volumeLimit = "5 pages";
    f.request.pageNumbers = "ABC{n:3}";
    NoViewer viewer;
    SilentObserver observer;
    const CompileResult result = CompileBook(f.request, observer, viewer);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    QCOMPARE(Entries(f.output()),
             (QStringList{"Bundle (Volume 1 of 2).pdf", "Bundle (Volume 2 of 2).pdf"}));
    QCOMPARE(result.book, f.output() + "/Bundle (Volume 1 of 2).pdf");
    QCOMPARE(viewer.shown, QStringList{AbsolutePdfPath(result.book)});
    const QString second = f.output() + "/Bundle (Volume 2 of 2).pdf";
    // The first volume ends without a blank sheet; the second numbers on from it, in its
    // stamps, labels and bookmarks alike.
    QCOMPARE(Labels(result.book), (QStringList{"ABC001", "ABC002", "ABC003", "ABC004", "ABC005"}));
    QCOMPARE(Labels(second), (QStringList{"ABC006", "ABC007", "ABC008", "ABC009"}));
    QVERIFY(ProgramOutput("pdftotext", {"-f", "1", "-l", "1", second, "-"}).contains("ABC006"));
    auto pdf = ReadPdf(second);
    QCOMPARE(Outline(*pdf),
             (QList<std::pair<QString, int>>{{"c \u2014 ABC006", 0}, {"d \u2014 ABC008", 2}}));
    QCOMPARE(PageWidths(*pdf), (std::vector<int>{200 + 300, 201 + 300, 300 + 300, 301 + 300}));
    QCOMPARE(result.volumes.size(), 2);
    QCOMPARE(result.volumes[1].pagesBefore, 5);
    QCOMPARE(result.bytes, QFileInfo(result.book).size() + QFileInfo(second).size());
}

void TestVolumes::leftOutPdfKeepsItsPlaceInVolumes_data()
{
    QTest::addColumn<QString>("password"); // for b.pdf, locked
    QTest::addColumn<std::vector<int>>("firstWidths");
    QTest::addColumn<int>("problems");
    // a, its blank sheet and b's one page fill the first volume, whether b is there or not; the
    // sheet and the page in b's place take the size a's pages share when b is not there.
    QTest::newRow("no password") << QString() << std::vector<int>{300, 301, 302, 300, 300} << 1;
    QTest::newRow("password") << "user" << std::vector<int>{300, 301, 302, 595, 400} << 0;
}

void TestVolumes::leftOutPdfKeepsItsPlaceInVolumes()
{
    QFETCH(QString, password);
    QFETCH(std::vector<int>, firstWidths);
    QFETCH(int, problems);
    Folder f({3, 1, 2, 2});
    QVERIFY(QFile::rename(f.folder.file("b.pdf"), f.folder.file("plain.pdf")));
    MakeEncryptedPdf(f.folder.file("plain.pdf"), f.folder.file("b.pdf"));
    if (!password.isEmpty())
        f.request.passwords[f.folder.file("b.pdf")] = password;
    f.request.volumeLimit = "5 pages";
    f.request.pageNumbers = "ABC{n:3}";
    NoViewer viewer;
    SilentObserver observer;
    const CompileResult result = CompileBook(f.request, observer, viewer);
    QCOMPARE(int(result.problems.list().size()), problems);
    QCOMPARE(result.volumes.size(), 2);
    auto first = ReadPdf(result.book);
    QCOMPARE(PageWidths(*first), firstWidths);
    QCOMPARE(Outline(*first),
             (QList<std::pair<QString, int>>{{"a \u2014 ABC001", 0}, {"b \u2014 ABC005", 4}}));
    QCOMPARE(Labels(f.output() + "/Bundle (Volume 2 of 2).pdf"),
             (QStringList{"ABC006", "ABC007", "ABC008", "ABC009"}));
}

void TestVolumes::theFirstVolumesIndexListsEveryDocument()
{
    // The index and its blank sheet, then a; b and c make the second volume.
    Folder f({2, 2, 1});
    f.request.volumeLimit = "5 pages";
    f.request.pageNumbers = "{n}";
    f.request.indexPage = true;
    NoViewer viewer;
    SilentObserver observer;
    const CompileResult result = CompileBook(f.request, observer, viewer);
    QCOMPARE(result.volumes.size(), 2);
    const QString index = ProgramOutput("pdftotext", {"-l", "1", result.book, "-"});
    for (const char *line : {"vol. 1, 3", "vol. 2, 5", "vol. 2, 7"})
        QVERIFY2(index.contains(line), qPrintable(index));
    // Each later document's line opens its volume at its page.
    QStringList links;
    auto pdf = ReadPdf(result.book);
    QPDFObjectHandle first = pdf->getAllPages().front();
    for (QPDFObjectHandle annot : first.getKey("/Annots").aitems())
        if (QPDFObjectHandle go = annot.getKey("/A"); go.isDictionary())
            links.append(
                QString("%1 %2")
                    .arg(QString::fromStdString(go.getKey("/F").getKey("/UF").getUTF8Value()))
                    .arg(go.getKey("/D").getArrayItem(0).getIntValue()));
    QCOMPARE(links, (QStringList{"Bundle (Volume 2 of 2).pdf 0", "Bundle (Volume 2 of 2).pdf 2"}));
    QVERIFY(ProgramOutput("pdftotext", {"-f", "3", "-l", "3", result.volumes[1].path, "-"})
                .contains("7"));
}

void TestVolumes::linksLeadIntoTheVolumeThatHoldsTheirPdf_data()
{
    QTest::addColumn<bool>("bySize"); // the limit in bytes, as the volumes by pages take
    QTest::newRow("by pages") << false;
    QTest::newRow("by size") << true;
}

void TestVolumes::linksLeadIntoTheVolumeThatHoldsTheirPdf()
{
    QFETCH(bool, bySize);
    // a and b make the first volume, c and d the second; each has a place named "end".
    Folder f({2, 2, 2, 1});
    LinkTo(f.folder.file("a.pdf"), {{"b.pdf", 1}, {"c.pdf", 1}});
    LinkTo(f.folder.file("b.pdf"), {});
    LinkTo(f.folder.file("c.pdf"), {{"a.pdf", 1}});
    LinkTo(f.folder.file("d.pdf"), {});
    f.request.volumeLimit = "4 pages";
    if (bySize) {
        qint64 largest = 0;
        for (const BookVolume &volume : PlanBook(f.request).volumes)
            largest = std::max(largest, qint64(volume.bytes));
        f.request.volumeLimit = QString("%1 MB").arg(double(largest) / 1e6, 0, 'f', 6);
    }
    NoViewer viewer;
    SilentObserver observer;
    const CompileResult result = CompileBook(f.request, observer, viewer);
    QCOMPARE(result.volumes.size(), 2);
    QCOMPARE(result.volumes[1].layout.Documents().size(), qsizetype(2));
    QCOMPARE(LinksOf(result.volumes[0].path),
             (QStringList{"GoTo 3", "Bundle (Volume 2 of 2).pdf 1", "GoTo 1"}));
    QCOMPARE(LinksOf(result.volumes[0].path, 2), (QStringList{"GoTo 3"}));
    QCOMPARE(LinksOf(result.volumes[1].path),
             (QStringList{"Bundle (Volume 1 of 2).pdf 1", "GoTo 1"}));
    QCOMPARE(LinksOf(result.volumes[1].path, 2), (QStringList{"GoTo 2"}));
}

void TestVolumes::sizeCapsHoldOnTheBytesWritten()
{
    Folder f({2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2});
    // With what grows as the set is cut: numbers, an index, links between volumes.
    f.request.pageNumbers = "Page {n} of {total}";
    f.request.indexPage = true;
    LinkTo(f.folder.file("a.pdf"), {{"l.pdf", 1}});
    LinkTo(f.folder.file("l.pdf"), {{"a.pdf", 1}});
    // About half the documents' worth.
    CompileRequest half = f.request;
    half.names = half.names.mid(0, 6);
    const qint64 cap = PlanBook(half).bytes;
    f.request.volumeLimit = QString("%1 MB").arg(double(cap) / 1e6, 0, 'f', 6);
    NoViewer viewer;
    SilentObserver observer;
    const CompileResult result = CompileBook(f.request, observer, viewer);
    QVERIFY(result.volumes.size() >= 2);
    QVERIFY(result.notices.isEmpty());
    int documents = 0;
    for (const BookVolume &volume : result.volumes) {
        QVERIFY2(QFileInfo(volume.path).size() <= cap, qPrintable(volume.path));
        documents += int(volume.layout.Documents().size());
    }
    QCOMPARE(documents, 12);
    // Filled, not one document a volume.
    QVERIFY(result.volumes.size() < 12);
}

void TestVolumes::setsAreNeverMixed()
{
    Folder f({2, 2, 2});
    f.folder.mkdir("PDFCompile Output");
    f.folder.write("PDFCompile Output/Bundle.pdf", "an earlier single book");
    f.folder.write("PDFCompile Output/Bundle (Volume 9 of 9).pdf", "an earlier set");
    f.folder.write("PDFCompile Output/Other (Volume 1 of 2).pdf", "another book's");
    NoViewer viewer;
    SilentObserver quiet;
    f.request.volumeLimit = "2 pages";
    QCOMPARE(CompileBook(f.request, quiet, viewer).volumes.size(), 3);
    QCOMPARE(Entries(f.output()),
             (QStringList{"Bundle (Volume 1 of 3).pdf", "Bundle (Volume 2 of 3).pdf",
                          "Bundle (Volume 3 of 3).pdf", "Other (Volume 1 of 2).pdf"}));
    // Fewer volumes: the rest of the earlier set goes.
    f.request.volumeLimit = "4 pages";
    QCOMPARE(CompileBook(f.request, quiet, viewer).volumes.size(), 2);
    QCOMPARE(Entries(f.output()),
             (QStringList{"Bundle (Volume 1 of 2).pdf", "Bundle (Volume 2 of 2).pdf",
                          "Other (Volume 1 of 2).pdf"}));
    // Stopped in the second volume: the earlier set stays as it was, nothing half written.
    const QByteArray first = f.folder.read("PDFCompile Output/Bundle (Volume 1 of 2).pdf");
    f.request.volumeLimit = "2 pages";
    StoppingObserver stopping;
    stopping.stopAt = 1;
    QVERIFY(CompileBook(f.request, stopping, viewer).stopped);
    QCOMPARE(Entries(f.output()),
             (QStringList{"Bundle (Volume 1 of 2).pdf", "Bundle (Volume 2 of 2).pdf",
                          "Other (Volume 1 of 2).pdf"}));
    QCOMPARE(f.folder.read("PDFCompile Output/Bundle (Volume 1 of 2).pdf"), first);
    // No limit: one book again, and no volume of it beside it.
    f.request.volumeLimit.clear();
    QVERIFY(!CompileBook(f.request, quiet, viewer).book.isEmpty());
    QCOMPARE(Entries(f.output()), (QStringList{"Bundle.pdf", "Other (Volume 1 of 2).pdf"}));
}

void TestVolumes::batchStoresTheLimitAndReportsTheVolumes()
{
    Folder f({2, 3, 2});
    const auto run = [&](const char *job) {
        QProcess batch;
        batch.start(QStringLiteral(QUIREFOLD_BATCH),
                    {job, "--volume-limit", "4 pages", "--json", "--quiet", f.folder.path()});
        batch.waitForFinished(60000);
        return QJsonDocument::fromJson(batch.readAllStandardOutput()).object();
    };
    // The plan says how the documents will fall, and where each starts, as the compile does.
    const QJsonObject plan = run("--plan");
    const QJsonObject report = run("--compile");
    QCOMPARE(report["exit_status"].toInt(), 0);
    QCOMPARE(plan["documents"], report["documents"]);
    for (int i = 0; i < 3; ++i)
        for (const char *key : {"path", "pages", "first_page", "documents"})
            QCOMPARE(plan["volumes"][i][key], report["volumes"][i][key]);
    const QJsonArray volumes = report["volumes"].toArray();
    QCOMPARE(volumes.size(), 3);
    // The book is the set: all its volumes' pages and bytes, and no one path.
    qint64 bytes = 0;
    for (const QJsonValue &volume : volumes)
        bytes += volume["bytes"].toInteger();
    QCOMPARE(report["book"].toObject(), (QJsonObject{{"pages", 7},
                                                     {"bytes", bytes},
                                                     {"volumes", 3},
                                                     {"scaledPages", 0},
                                                     {"shrunkPages", 0}}));
    QCOMPARE(plan["book"]["volumes"].toInt(), 3);
    QCOMPARE(volumes[1].toObject(),
             (QJsonObject{{"path", f.output() + "/CompiledPDFDocument (Volume 2 of 3).pdf"},
                          {"pages", 3},
                          {"bytes", QFileInfo(volumes[1]["path"].toString()).size()},
                          {"first_page", 3},
                          {"documents", QJsonArray{"b.pdf"}}}));
    QCOMPARE(report["documents"][2]["start_page"].toInt(), 6);
    QVERIFY(f.folder.read("Quirefold.INI").contains("VolumeLimit=4 pages"));

    // A document over the limit is named as the file a warning is about.
    QProcess batch;
    batch.start(QStringLiteral(QUIREFOLD_BATCH),
                {"--compile", "--volume-limit", "2 pages", "--json", f.folder.path()});
    QVERIFY(batch.waitForFinished(60000));
    // Counted over the whole job, not each volume's.
    QVERIFY(batch.readAllStandardError().contains("compile (3/3): c.pdf"));
    const QJsonArray problems =
        QJsonDocument::fromJson(batch.readAllStandardOutput()).object()["problems"].toArray();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].toObject(),
             (QJsonObject{{"file", f.folder.file("b.pdf")},
                          {"severity", "warning"},
                          {"reason", "is alone larger than a volume may be (2 pages), so it makes "
                                     "a volume of its own"}}));
}

QTEST_GUILESS_MAIN(TestVolumes)
#include "test_volumes.moc"
