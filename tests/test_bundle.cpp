#include "bundle/IndexPages.h"
#include "bundle/PageNumberFormat.h"
#include "compile/CompileBook.h"
#include "support/CompileFixture.h"
#include "text/EmbeddedFont.h"

#include <qpdf/QPDFPageLabelDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QRegularExpression>

using namespace qf;

namespace {

// The text of each page, as a reader that searches or copies it finds it.
QStringList PageTexts(const QString &pdf, int pages)
{
    QStringList texts;
    for (int page = 1; page <= pages; ++page)
        texts << ProgramOutput("pdftotext", {"-f", QString::number(page), "-l",
                                             QString::number(page), "-layout", pdf, "-"});
    return texts;
}

// Where the index's first page breaks the typesetter's rule, empty when nowhere: its leaders'
// dots stand on one grid down the page, and the numbers (digits only) end flush right.
QString LeadersOffTheGrid(const QString &pdf)
{
    const QString boxes = ProgramOutput("pdftotext", {"-f", "1", "-l", "1", "-bbox", pdf, "-"});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)<"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    QList<double> dots, numberEnds;
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        // Below the lines' margin is the page's own number, if any.
        if (m.captured(4) == ".")
            dots << m.captured(1).toDouble();
        else if (digits.match(m.captured(4)).hasMatch() && m.captured(1).toDouble() > 400 &&
                 m.captured(2).toDouble() < 790)
            numberEnds << m.captured(3).toDouble();
    }
    if (dots.size() < 30)
        return QStringLiteral("too few dots: %1").arg(dots.size());
    std::sort(dots.begin(), dots.end());
    double step = 1e9; // the smallest, then measured over the whole span
    for (qsizetype i = 1; i < dots.size(); ++i)
        if (dots.at(i) - dots.at(i - 1) > 0.5)
            step = std::min(step, dots.at(i) - dots.at(i - 1));
    const double span = dots.last() - dots.first();
    step = span / std::round(span / step);
    for (const double x : dots)
        if (std::abs(std::remainder(x - dots.first(), step)) > 0.1)
            return QStringLiteral("a dot at %1 is off the grid of %2").arg(x).arg(step);
    for (const double end : numberEnds)
        if (std::abs(end - numberEnds.first()) > 0.05)
            return QStringLiteral("a number ends at %1, not %2").arg(end).arg(numberEnds.first());
    return QString();
}

// Where the page's number stamp, showing text, strokes a glyph's white outline but draws no such
// glyph there: each outline, by its glyph's number and place, against the glyphs the stamp's text
// shows, placed by the font's own widths. Empty when every outline is under its glyph.
QString OutlinesOffTheirGlyphs(QPDFObjectHandle page, const QString &text)
{
    QPDFObjectHandle stamp;
    for (const auto &[name, form] : page.getKey("/Resources").getKey("/XObject").getDictAsMap())
        if (name.rfind("/QfPageNumber", 0) == 0)
            stamp = form;
    if (!stamp.isStream())
        return QStringLiteral("no stamp");
    const std::shared_ptr<Buffer> data = stamp.getStreamData(qpdf_dl_generalized);
    const QStringList tokens =
        QString::fromLatin1(reinterpret_cast<const char *>(data->getBuffer()),
                            qsizetype(data->getSize()))
            .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    QStringList outlines, glyphs;
    double x = 0;
    QPDFObjectHandle widths;
    for (auto [name, font] : stamp.getDict().getKey("/Resources").getKey("/Font").getDictAsMap())
        widths = font.getKey("/DescendantFonts").getArrayItem(0).getKey("/W");
    const auto width = [&](int glyph) {
        for (int i = 0; i + 1 < widths.getArrayNItems(); i += 2)
            if (widths.getArrayItem(i).getIntValue() == glyph)
                return widths.getArrayItem(i + 1).getArrayItem(0).getNumericValue();
        return 0.0;
    };
    double size = 0, textX = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens.at(i);
        if (token == "cm")
            x += tokens.at(i - 2).toDouble();
        else if (token == "Do")
            outlines << QString("%1 at %2").arg(tokens.at(i - 1)).arg(x, 0, 'f', 1);
        else if (token == "Tf")
            size = tokens.at(i - 1).toDouble();
        else if (token == "Tm")
            textX = tokens.at(i - 2).toDouble();
        else if (token == "Tj")
            for (qsizetype at = 1, shown = 0; at + 4 <= tokens.at(i - 1).size() - 1;
                 at += 4, ++shown) {
                const int glyph = tokens.at(i - 1).mid(at, 4).toInt(nullptr, 16);
                // A space has no outline.
                if (shown >= text.size() || text.at(shown) != ' ')
                    glyphs << QString("/g%1 at %2").arg(glyph).arg(textX, 0, 'f', 1);
                textX += width(glyph) * size / 1000;
            }
    }
    if (outlines != glyphs)
        return "outlines " + outlines.join(", ") + "; glyphs " + glyphs.join(", ");
    return QString();
}

// The label a viewer shows for each page.
QStringList Labels(QPDF &pdf)
{
    QPDFPageLabelDocumentHelper helper(pdf);
    QStringList labels;
    const int pages = int(pdf.getAllPages().size());
    for (int page = 0; page < pages; ++page) {
        QPDFObjectHandle label = helper.getLabelForPage(page);
        QString text = QString::fromStdString(label.getKey("/P").getUTF8Value());
        if (label.getKey("/S").isName())
            text += QString::number(label.getKey("/St").getIntValue());
        labels << text;
    }
    return labels;
}

} // namespace

class TestBundle : public QObject {
    Q_OBJECT
private slots:
    void formatsAndFontsRefuseWhatTheyCannotUse();
    void indexStampsLabelsAndBookmarksAgree_data();
    void indexStampsLabelsAndBookmarksAgree();
    void longIndexGoesOnToMorePages();
    void longBookTitleWrapsAtTheHeadOfTheIndex_data();
    void longBookTitleWrapsAtTheHeadOfTheIndex();
    void numbersReadOnDarkAndLightPages();
    void numbersStandClearOfThePage_data();
    void numbersStandClearOfThePage();
    void bookmarkTitlesTakeTheWholeNameOrTheOwnTitle();
    void leftOutPdfKeepsItsPlace_data();
    void leftOutPdfKeepsItsPlace();
};

void TestBundle::formatsAndFontsRefuseWhatTheyCannotUse()
{
    const auto text = [](const QString &format, int n, int total) {
        return PageNumberFormat::Parse(format, nullptr)->Text(n, total);
    };
    QCOMPARE(text("ABC{n:6}", 17, 20), QStringLiteral("ABC000017"));
    QCOMPARE(text("Page {n} of {total}", 3, 12), QStringLiteral("Page 3 of 12"));
    QCOMPARE(text("{{{n}}}", 1234567, 1), QStringLiteral("{1234567}"));
    for (const char *refused : {"Page", "{x}", "{n", "n}", "{n:0}", "{n:13}", "{n:a}", "{total}"}) {
        QString why;
        QVERIFY2(!PageNumberFormat::Parse(refused, &why) && !why.isEmpty(), refused);
    }
    // A font that is missing or is not one is named, with what to do about it.
    TestFolder folder;
    folder.write("not a font.ttf", "%PDF-1.4\n");
    for (const QString &path : {folder.file("missing.ttf"), folder.file("not a font.ttf")}) {
        Status status;
        QVERIFY(!EmbeddedFont::Open(path, status));
        QCOMPARE(status.file(), path);
        QVERIFY2(status.reason().contains("font"), qPrintable(status.reason()));
    }
    Status status;
    QVERIFY(EmbeddedFont::Open(kTextFontPath, status) && status.ok());
}

void TestBundle::indexStampsLabelsAndBookmarksAgree_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("lastStamp");
    QTest::addColumn<bool>("labelled"); // the index and bookmarks say the stamp, else the number
    // Thirteen pages: the zero padding shortens past page 9, so labels need more than one range.
    QTest::newRow("Bates") << "ABC{n:6}"
                           << "ABC000013" << true;
    QTest::newRow("of total") << "Page {n} of {total}"
                              << "Page 13 of 13" << false;
    QTest::newRow("a word before") << "Page {n}"
                                   << "Page 13" << true;
}

void TestBundle::indexStampsLabelsAndBookmarksAgree()
{
    QFETCH(QString, format);
    QFETCH(QString, lastStamp);
    QFETCH(bool, labelled);
    CompileFixture f({{"Kap. 3 Übersicht.pdf", 3}, {"Σύνοψη.pdf", 2}, {"Протокол.pdf", 5}});
    // One landscape page is turned, so its stamp must be turned with it to stand upright.
    QVERIFY(RunQpdf({"--rotate=+90:2", f.folder.file("Протокол.pdf"), "--replace-input"}) == 0);
    f.window.choices.indexPage = true;
    f.window.choices.pageNumbers = format;
    f.window.choices.bookTitle = QStringLiteral("Handbook 2027");
    CompileRun(f.ctx);
    // The one thing said: the title a dot inside a name cuts short, with the way to keep it whole.
    QCOMPARE(f.messages().size(), 1);
    QVERIFY2(
        f.messages().first().endsWith(
            "the bookmark of Kap. 3 \u00dcbersicht.pdf is titled \"Kap\", cut at its first dot; "
            "right-click the PDF list, Bookmark titles, File name without its extension, to keep "
            "the whole name"),
        qPrintable(f.messages().join('\n')));
    auto book = ReadPdf(f.book());
    QCOMPARE(book->getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(),
             std::string("Handbook 2027"));
    const std::vector<QPDFObjectHandle> pages = book->getAllPages();
    // The index and its blank sheet, 3 pages and a blank sheet, 2, 5.
    QCOMPARE(pages.size(), size_t(13));

    PageNumberFormat numbers = *PageNumberFormat::Parse(format, nullptr);
    QStringList stamps;
    for (int page = 1; page <= 13; ++page)
        stamps << numbers.Text(page, 13);
    QCOMPARE(stamps.last(), lastStamp);
    const QStringList texts = PageTexts(f.book(), 13);
    for (int page = 0; page < 13; ++page)
        QVERIFY2(texts.at(page).trimmed().endsWith(stamps.at(page)), qPrintable(texts.at(page)));
    QCOMPARE(Labels(*book), stamps);
    // Each glyph stands on its own white outline.
    for (int page = 0; page < 13; ++page) {
        const QString off = OutlinesOffTheirGlyphs(pages.at(size_t(page)), stamps.at(page));
        QVERIFY2(off.isEmpty(), qPrintable(QString("page %1: %2").arg(page + 1).arg(off)));
    }

    // The index has the book's title, and names each document with its start page's number, in
    // the book's font.
    QVERIFY2(texts.first().trimmed().startsWith("Handbook 2027"), qPrintable(texts.first()));
    const auto reference = [&](int page) {
        return labelled ? stamps.at(page) : QString::number(page + 1);
    };
    const QStringList starts = {reference(2), reference(6), reference(8)};
    const QStringList titles = {"Kap", "Σύνοψη", "Протокол"};
    for (int i = 0; i < 3; ++i)
        QVERIFY2(texts.first().contains(
                     QRegularExpression(QRegularExpression::escape(titles.at(i)) + " [ .]+ " +
                                        QRegularExpression::escape(starts.at(i)))),
                 qPrintable(texts.first()));
    QCOMPARE(LeadersOffTheGrid(f.book()), QString());
    // Each line links to its page.
    QPDFObjectHandle index = pages.front();
    QPDFObjectHandle links = index.getKey("/Annots");
    QCOMPARE(links.getArrayNItems(), 3);
    for (int i = 0; i < 3; ++i) {
        const int target = std::vector<int>{2, 6, 8}.at(size_t(i));
        QVERIFY(links.getArrayItem(i).getKey("/Dest").getArrayItem(0).getObjGen() ==
                pages.at(size_t(target)).getObjGen());
    }
    QCOMPARE(Outline(*book), (Bookmarks{{"Index — " + reference(0), 0},
                                        {"Kap — " + reference(2), 2},
                                        {"Σύνοψη — " + reference(6), 6},
                                        {"Протокол — " + reference(8), 8}}));

    // On the turned page the stamp sits at the bottom right of the page as shown.
    const QString boxes =
        ProgramOutput("pdftotext", {"-f", "10", "-l", "10", "-bbox", f.book(), "-"});
    const QRegularExpressionMatch page =
        QRegularExpression(R"re(<page width="([\d.]+)" height="([\d.]+)")re").match(boxes);
    const QRegularExpressionMatch word =
        QRegularExpression(
            R"re(<word xMin="[\d.]+" yMin="[\d.]+" xMax="([\d.]+)" yMax="([\d.]+)">)re" +
            QRegularExpression::escape(stamps.at(9).split(' ').last()))
            .match(boxes);
    QVERIFY2(page.hasMatch() && word.hasMatch(), qPrintable(boxes));
    const double shownWidth = page.captured(2).toDouble(); // turned: width and height swap
    const double shownHeight = page.captured(1).toDouble();
    QVERIFY2(qAbs(word.captured(1).toDouble() - (shownWidth - 28)) < 2, qPrintable(boxes));
    QVERIFY2(word.captured(2).toDouble() > shownHeight - 20 &&
                 word.captured(2).toDouble() < shownHeight,
             qPrintable(boxes));

    // Every font is embedded, as a subset.
    const QStringList fonts = ProgramOutput("pdffonts", {f.book()}).split('\n').mid(2);
    for (const QString &line : fonts)
        if (!line.trimmed().isEmpty())
            QVERIFY2(line.contains(QRegularExpression(R"(\byes\s+yes\s+yes\b)")), qPrintable(line));
    QVERIFY(RunQpdf({"--check", f.book()}) == 0);
    // MuPDF, stricter than qpdf about streams, draws it without a word.
    QProcess mupdf;
    mupdf.start("mutool", {"draw", "-r", "10", "-F", "pnm", "-o", "/dev/null", f.book()});
    QVERIFY(mupdf.waitForFinished(60000));
    const QStringList said = QString::fromUtf8(mupdf.readAllStandardError())
                                 .split('\n', Qt::SkipEmptyParts)
                                 .filter(QRegularExpression("^(warning|error)"))
                                 .filter(QRegularExpression("^(?!.*ICC)"));
    QVERIFY2(said.isEmpty(), qPrintable(said.join('\n')));
}

void TestBundle::longIndexGoesOnToMorePages()
{
    // Every seventh title is too long for a line, one of them a single word.
    const QString statement = QStringLiteral(
        "Witness statement of Professor Johanna Mueller-Luedenscheidt dated 12 March 2026 on the "
        "events of the night in question, Exhibit %1");
    const QString word = QStringLiteral("Luedenscheidt").repeated(8) + QStringLiteral("%1");
    QStringList titles;
    QList<std::pair<QString, int>> pdfs;
    for (int i = 0; i < 60; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        titles << (i % 7 == 3 ? statement.arg(number)
                   : i == 55  ? word.arg(number)
                              : QStringLiteral("Exhibit %1").arg(number));
        pdfs.append({titles.last() + QStringLiteral(".pdf"), 1});
    }
    titles.sort(); // as the list shows them
    CompileFixture f(pdfs);
    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.indexPage = true;
    f.window.choices.bookmarkTitles = kBookmarkTitlesFileName; // the titles hold dots
    CompileRun(f.ctx);
    auto book = ReadPdf(f.book());
    const std::vector<QPDFObjectHandle> pages = book->getAllPages();
    const int front = int(pages.size()) - 60;
    QCOMPARE(front, 2);
    QCOMPARE(Outline(*book).at(1), (std::pair<QString, int>(titles.first(), front)));
    // Every entry links to its document's page over all its lines, and ends in its number; no
    // title is cut.
    int entry = 0;
    QString index;
    for (int indexPage = 0; indexPage < front; ++indexPage) {
        index += PageTexts(f.book(), front).at(indexPage);
        QPDFObjectHandle links = QPDFObjectHandle(pages.at(size_t(indexPage))).getKey("/Annots");
        for (int i = 0; i < links.getArrayNItems(); ++i, ++entry) {
            QPDFObjectHandle link = links.getArrayItem(i);
            QVERIFY(link.getKey("/Dest").getArrayItem(0).getObjGen() ==
                    pages.at(size_t(front + entry)).getObjGen());
            const double height = link.getKey("/Rect").getArrayItem(3).getNumericValue() -
                                  link.getKey("/Rect").getArrayItem(1).getNumericValue();
            QVERIFY2((height > 20) == (titles.at(entry).size() > 60), qPrintable(titles.at(entry)));
        }
    }
    QCOMPARE(entry, 60);
    QVERIFY(!index.contains(QStringLiteral("…")));
    const QString joined = index.simplified();
    QVERIFY2(joined.contains(QRegularExpression(
                 "cheidt55 [ .]+ 53 Witness statement of Professor Johanna Mueller-Luedenscheidt "
                 "dated 12 "
                 "March 2026 on the events of the night in question, Exhibit 03 [ .]+ 54 Witness")),
             qPrintable(joined));
    QVERIFY2(joined.contains(QStringLiteral("Luedenscheidt").repeated(5)), qPrintable(joined));
    QVERIFY(
        PageTexts(f.book(), front).last().contains(QRegularExpression("Exhibit 59 [ .]+ 62\\s*$")));
    QCOMPARE(LeadersOffTheGrid(f.book()), QString());
}

void TestBundle::longBookTitleWrapsAtTheHeadOfTheIndex_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("volumeLimit"); // empty: one book
    QTest::addColumn<int>("indexPages");
    // 32 entries fit on a Letter page under a title of one line; a title of three lines takes
    // the room of two entries and more, which moves the last onto another page.
    const QString longTitle = QStringLiteral(
        "Witness statements, exhibits and correspondence in the matter of Tallowmere Holdings "
        "against the Borough of Quirefold, second bundle");
    QTest::newRow("one line") << "Handbook 2027" << QString() << 1;
    QTest::newRow("three lines") << longTitle << QString() << 2;
    QTest::newRow("three lines, in volumes") << longTitle << "30 pages" << 2;
}

void TestBundle::longBookTitleWrapsAtTheHeadOfTheIndex()
{
    QFETCH(QString, title);
    QFETCH(QString, volumeLimit);
    QFETCH(int, indexPages);
    TestFolder folder;
    CompileRequest request;
    for (int i = 0; i < 32; ++i) {
        request.names << QString("Exhibit %1.pdf").arg(i, 2, 10, QLatin1Char('0'));
        MakePdf(folder.file(request.names.last()), 1, i);
    }
    request.workingFolder = folder.path();
    request.bookName = "Book.pdf";
    request.programFolder = QStringLiteral(QUIREFOLD_PROGRAM_FOLDER);
    request.indexPage = true;
    request.title = title;
    request.pageFit = PageFit::Named("Letter");
    request.volumeLimit = volumeLimit;
    SilentObserver observer;
    NoBookViewer viewer;
    const CompileResult result = CompileBook(request, observer, viewer);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    QList<BookVolume> volumes = result.volumes;
    if (volumes.isEmpty())
        volumes.append({result.book, result.layout, result.bytes, 0});
    QCOMPARE(volumes.size(), volumeLimit.isEmpty() ? 1 : 2);
    auto first = ReadPdf(volumes.first().path);
    QCOMPARE(Outline(*first).at(1), (std::pair<QString, int>("Exhibit 00", indexPages)));

    // The whole title, above the first entry.
    const QString index = PageTexts(volumes.first().path, indexPages).join(' ');
    QVERIFY2(index.simplified().startsWith(title), qPrintable(index));
    QVERIFY(!index.contains(QStringLiteral("…")));
    const QString boxes =
        ProgramOutput("pdftotext", {"-f", "1", "-l", "1", "-bbox", volumes.first().path, "-"});
    static const QRegularExpression word(
        R"re(<word xMin="[\d.]+" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)<)re");
    double titleBottom = 0, entryTop = 1e9;
    const QString lastTitleWord = title.split(' ').last();
    bool inTitle = true;
    for (const QRegularExpressionMatch &m : word.globalMatch(boxes)) {
        if (inTitle)
            titleBottom = std::max(titleBottom, m.captured(2).toDouble());
        else
            entryTop = std::min(entryTop, m.captured(1).toDouble());
        inTitle = inTitle && m.captured(3) != lastTitleWord;
    }
    QVERIFY2(titleBottom < entryTop, qPrintable(boxes));

    // Each entry's number is where its document starts, in whichever volume; the index was
    // planned as long as it is, so no volume runs over the limit.
    for (qsizetype v = 0; v < volumes.size(); ++v) {
        auto pdf = ReadPdf(volumes.at(v).path);
        if (!volumeLimit.isEmpty())
            QVERIFY2(int(pdf->getAllPages().size()) <= volumeLimit.split(' ').first().toInt(),
                     qPrintable(volumes.at(v).path));
        for (const auto &[bookmark, page] : Outline(*pdf)) {
            if (!bookmark.startsWith("Exhibit"))
                continue;
            const QString number = QString::number(volumes.at(v).pagesBefore + page + 1);
            const QString said =
                volumes.size() > 1 ? QString("vol. %1, %2").arg(v + 1).arg(number) : number;
            QVERIFY2(
                index.contains(QRegularExpression(QRegularExpression::escape(bookmark) + " [ .]+ " +
                                                  QRegularExpression::escape(said) + "\\b")),
                qPrintable(bookmark + ": " + said + "\n" + index));
        }
    }
}

void TestBundle::numbersReadOnDarkAndLightPages()
{
    CompileFixture f({{"Light.pdf", 1}, {"Dark.pdf", 1}});
    {
        auto dark = ReadPdf(f.folder.file("Dark.pdf"));
        QPDFObjectHandle(dark->getAllPages().front())
            .replaceKey("/Contents", dark->newStream("0.1 g 0 0 1000 1000 re f"));
        const QByteArray painted = QFile::encodeName(f.folder.file("Painted.pdf"));
        QPDFWriter writer(*dark, painted.constData());
        writer.write();
        QFile::remove(f.folder.file("Dark.pdf"));
        QFile::rename(f.folder.file("Painted.pdf"), f.folder.file("Dark.pdf"));
    }
    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.pageNumbers = QStringLiteral("{n}");
    CompileRun(f.ctx);
    for (const int page : {1, 2}) {
        // Around the number at the bottom right, at 144 dpi: both light and dark are seen on
        // either page, so the number stands out of the dark one too.
        const QString gray = f.folder.file(QStringLiteral("stamp%1").arg(page));
        const int width = page == 1 ? 400 : 300; // Dark.pdf comes first
        const int right = (width - 28) * 2 + 4;
        ProgramOutput("pdftoppm", {"-gray", "-r", "144", "-f", QString::number(page), "-l",
                                   QString::number(page), "-x", QString::number(right - 40), "-y",
                                   QString::number((400 - 32) * 2), "-W", "40", "-H", "30",
                                   "-singlefile", f.book(), gray});
        QFile pgm(gray + ".pgm");
        QVERIFY(pgm.open(QIODevice::ReadOnly));
        const QByteArray pixels = pgm.readAll().right(40 * 30);
        const auto count = [&](auto shade) {
            return std::count_if(pixels.begin(), pixels.end(),
                                 [&](char pixel) { return shade(uchar(pixel)); });
        };
        QVERIFY2(count([](uchar v) { return v > 200; }) > 20, qPrintable(gray));
        QVERIFY2(count([](uchar v) { return v < 60; }) > 20, qPrintable(gray));
        // The number is found once, by Poppler and by MuPDF alike.
        const QString shown = QString::number(page);
        QCOMPARE(ProgramOutput("pdftotext", {"-f", shown, "-l", shown, f.book(), "-"}).simplified(),
                 shown);
        QCOMPARE(
            ProgramOutput("mutool", {"draw", "-F", "txt", "-o", "-", f.book(), shown}).simplified(),
            shown);
    }
}

void TestBundle::numbersStandClearOfThePage_data()
{
    QTest::addColumn<QByteArray>("content"); // of a page 400 points square
    QTest::addColumn<QString>("room");       // PageNumberRoom
    QTest::addColumn<bool>("shrunk");
    QTest::addColumn<QStringList>("under"); // words the number may stand over
    const QStringList footerWords = {"REF", "4471"};
    const QByteArray title = "BT /F1 12 Tf 40 360 Td (Title) Tj ET ";
    const QByteArray footer = "BT /F1 10 Tf 300 22 Td (REF 4471) Tj ET";
    QTest::newRow("its footer where the number goes")
        << title + footer << "" << true << QStringList();
    QTest::newRow("nothing there") << title << "" << false << QStringList();
    QTest::newRow("a white background")
        << "1 g 0 0 400 400 re f 0 g " + title << "" << false << QStringList();
    QTest::newRow("invisible text there") << title + "3 Tr " + footer << "" << false << footerWords;
    QTest::newRow("dark over the whole page")
        << "0.2 g 0 0 400 400 re f 1 g " + title << "" << true << QStringList();
    QTest::newRow("its footer drawn in a form") << title + "q 1 0 0 1 250 0 cm /Fm Do Q"
                                                << "" << true << QStringList();
    QTest::newRow("every page alike") << title << "always" << true << QStringList();
    QTest::newRow("none asked for") << title + footer << "none" << false << footerWords;
}

void TestBundle::numbersStandClearOfThePage()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, room);
    QFETCH(bool, shrunk);
    QFETCH(QStringList, under);
    // The page's own text stands clear of its number, a link over its footer stays over it.
    TestFolder folder;
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 400 400] /Resources << /Font << /F1 << /Type /Font "
        "/Subtype /Type1 /BaseFont /Helvetica >> >> >> >>"));
    QPDFObjectHandle form = pdf.newStream("BT /F1 10 Tf 50 22 Td (REF 4471) Tj ET");
    form.replaceDict(QPDFObjectHandle::parse(
        "<< /Type /XObject /Subtype /Form /BBox [0 0 150 40] /Resources << /Font << /F1 << /Type "
        "/Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> >>"));
    page.getKey("/Resources")
        .replaceKey("/XObject", QPDFObjectHandle::newDictionary({{"/Fm", form}}));
    page.replaceKey("/Contents", pdf.newStream(content.toStdString()));
    page.replaceKey("/Annots",
                    QPDFObjectHandle::parse("[ << /Type /Annot /Subtype /Link /Rect [300 18 370 "
                                            "32] /Border [0 0 0] /A << /S /URI /URI (x) >> >> ]"));
    pdf.addPage(page, false);
    const QByteArray path = QFile::encodeName(folder.file("Invoice.pdf"));
    QPDFWriter writer(pdf, path.constData());
    writer.write();

    CompileRequest request;
    request.workingFolder = folder.path();
    request.names = {"Invoice.pdf"};
    request.bookName = "Book.pdf";
    request.programFolder = QStringLiteral(QUIREFOLD_PROGRAM_FOLDER);
    request.pageNumbers = "SJ{n:6}";
    request.numberRoom = room;
    NoBookViewer viewer;
    SilentObserver observer;
    const CompileResult result = CompileBook(request, observer, viewer);
    QVERIFY2(result.problems.empty(), qPrintable(result.problems.report("")));
    QCOMPARE(result.numberRoom.pages, shrunk ? 1 : 0);
    if (shrunk) // just enough: a small page covered whole loses 31 of its 200 points to the middle
        QVERIFY2(result.numberRoom.leastScale >= 0.845,
                 qPrintable(QString::number(result.numberRoom.leastScale)));

    // Each word's box on the page as Poppler finds it, top down.
    const QString boxes = ProgramOutput("pdftotext", {"-bbox", result.book, "-"});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)<"));
    std::map<QString, QRectF> words;
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words[m.captured(5)] = QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
    QVERIFY(words.count("SJ000001") && words.count("Title"));
    const QRectF number = words["SJ000001"];
    for (const auto &[text, box] : words)
        if (text != "SJ000001" && !under.contains(text))
            QVERIFY2(!box.intersects(number), qPrintable(text + " lies under the number"));
    if (words.count("REF")) {
        auto book = ReadPdf(result.book);
        const QPDFObjectHandle::Rectangle link = QPDFObjectHandle(book->getAllPages().front())
                                                     .getKey("/Annots")
                                                     .getArrayItem(0)
                                                     .getKey("/Rect")
                                                     .getArrayAsRectangle();
        const QPointF middle = words["REF"].center();
        QVERIFY2(link.llx < middle.x() && middle.x() < link.urx && link.lly < 400 - middle.y() &&
                     400 - middle.y() < link.ury,
                 "the link left its words");
    }
}

void TestBundle::bookmarkTitlesTakeTheWholeNameOrTheOwnTitle()
{
    CompileFixture f({{"Kap. 3 Übersicht.pdf", 1}, {"Witness.v2.pdf", 1}});
    {
        auto pdf = ReadPdf(f.folder.file("Witness.v2.pdf"));
        QPDFObjectHandle info = pdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
        info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString("Witness statement"));
        pdf->getTrailer().replaceKey("/Info", info);
        const QByteArray titled = QFile::encodeName(f.folder.file("Titled.pdf"));
        QPDFWriter writer(*pdf, titled.constData()); // keeps the name, not a copy
        writer.write();
        QFile::remove(f.folder.file("Witness.v2.pdf"));
        QFile::rename(f.folder.file("Titled.pdf"), f.folder.file("Witness.v2.pdf"));
    }
    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.bookmarkTitles = kBookmarkTitlesFileName;
    CompileRun(f.ctx);
    QCOMPARE(Outline(*ReadPdf(f.book())), (Bookmarks{{"Kap. 3 Übersicht", 0}, {"Witness.v2", 1}}));
    f.window.choices.bookmarkTitles = kBookmarkTitlesOwnTitle;
    CompileRun(f.ctx);
    QCOMPARE(Outline(*ReadPdf(f.book())),
             (Bookmarks{{"Kap. 3 Übersicht", 0}, {"Witness statement", 1}}));
}

void TestBundle::leftOutPdfKeepsItsPlace_data()
{
    QTest::addColumn<bool>("index");
    QTest::addColumn<QString>("numbers");
    QTest::addColumn<bool>("blankSheets");
    QTest::addColumn<QString>("password"); // the window's answer for b.pdf; empty: none
    QTest::addColumn<bool>("garbage");     // b.pdf is no PDF at all rather than locked
    // a.pdf 3 pages, b.pdf 4 pages (widths 500 on), c.pdf 2 pages; 595: the book's own pages.
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<Bookmarks>("bookmarks");
    QTest::addColumn<QString>("reason"); // the run's message, and on the page in b.pdf's place
    const QString locked = "b.pdf is encrypted with a password; it was left out";
    QTest::newRow("index") << true << QString() << true << QString() << false
                           << QList<int>{595, 595, 300, 301, 302, 595, 595, 595, 400, 401}
                           << Bookmarks{{"Index", 0}, {"a", 2}, {"b", 6}, {"c", 8}} << locked;
    QTest::newRow("numbers") << false << "P{n}" << true << QString() << false
                             << QList<int>{300, 301, 302, 595, 595, 595, 400, 401}
                             << Bookmarks{{"a — P1", 0}, {"b — P5", 4}, {"c — P7", 6}} << locked;
    QTest::newRow("wrong password")
        << false << "P{n}" << true << "guess" << false
        << QList<int>{300, 301, 302, 595, 595, 595, 400, 401}
        << Bookmarks{{"a — P1", 0}, {"b — P5", 4}, {"c — P7", 6}}
        << "b.pdf is encrypted, and the password given for it is wrong; it was left out";
    QTest::newRow("right password")
        << false << "P{n}" << true << "user" << false
        << QList<int>{300, 301, 302, 595, 500, 501, 502, 503, 400, 401}
        << Bookmarks{{"a — P1", 0}, {"b — P5", 4}, {"c — P9", 8}} << QString();
    QTest::newRow("not a PDF, no blank sheets")
        << false << "P{n}" << false << QString() << true << QList<int>{300, 301, 302, 595, 400, 401}
        << Bookmarks{{"a — P1", 0}, {"b — P4", 3}, {"c — P5", 4}}
        << "b.pdf is damaged or not a PDF file";
    QTest::newRow("no bundle") << false << QString() << true << QString() << false
                               << QList<int>{300, 301, 302, 595, 400, 401}
                               << Bookmarks{{"a", 0}, {"c", 4}} << locked;
}

void TestBundle::leftOutPdfKeepsItsPlace()
{
    QFETCH(bool, index);
    QFETCH(QString, numbers);
    QFETCH(bool, blankSheets);
    QFETCH(QString, password);
    QFETCH(bool, garbage);
    QFETCH(QList<int>, widths);
    QFETCH(Bookmarks, bookmarks);
    QFETCH(QString, reason);
    CompileFixture f({{"a.pdf", 3}, {"c.pdf", 2}});
    if (garbage) {
        f.folder.write("b.pdf", "not a PDF at all");
    } else {
        MakePdf(f.folder.file("plain.pdf"), 4, 200);
        MakeEncryptedPdf(f.folder.file("plain.pdf"), f.folder.file("b.pdf"));
    }
    f.window.pdfList.AddItem("b.pdf");
    f.window.pdfList.SetTicked(1, true); // between a.pdf and c.pdf
    f.window.blankSheetOption.SetState(blankSheets ? Qt::Checked : Qt::Unchecked);
    f.window.choices.indexPage = index;
    f.window.choices.pageNumbers = numbers;
    if (!password.isEmpty())
        f.window.passwords = {{"b.pdf", password}};
    CompileRun(f.ctx);

    // Asked once, for the locked PDF only.
    QCOMPARE(f.window.passwordsAsked,
             garbage ? QList<QStringList>{} : QList<QStringList>{{"b.pdf"}});
    auto book = ReadPdf(f.book());
    QCOMPARE(PageWidths(*book), std::vector<int>(widths.begin(), widths.end()));
    QCOMPARE(Outline(*book), bookmarks);
    const QString message = f.messages().join('\n');
    if (password == "user") {
        QVERIFY2(!message.contains("b.pdf"), qPrintable(message));
        return;
    }
    QVERIFY2(message.contains("b.pdf: " + reason.mid(6)), qPrintable(message));
    if (!numbers.isEmpty()) {
        QStringList stamps;
        for (int page = 1; page <= widths.size(); ++page)
            stamps << "P" + QString::number(page);
        QCOMPARE(Labels(*book), stamps);
    }
    const int at = int(bookmarks.size()) > 2 ? bookmarks.at(bookmarks.size() - 2).second : -1;
    if (at < 0 || reason.isEmpty())
        return;
    const QString text = PageTexts(f.book(), at + 1).last().simplified();
    QVERIFY2(text.startsWith("b.pdf " + reason.mid(6)), qPrintable(text));
    if (!numbers.isEmpty())
        QVERIFY2(text.endsWith("P" + QString::number(at + 1)), qPrintable(text));
    if (index)
        QVERIFY2(PageTexts(f.book(), 1).first().contains(QRegularExpression("\\bb[ .]+ 7\\s")),
                 qPrintable(PageTexts(f.book(), 1).first()));
}

QTEST_GUILESS_MAIN(TestBundle)
#include "test_bundle.moc"
