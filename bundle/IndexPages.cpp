#include "bundle/IndexPages.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <cmath>

namespace qf {
namespace {

constexpr double kMargin = 72;
constexpr double kTitleSize = 16;
constexpr double kLineSize = 11;
constexpr double kLeading = 18;      // from one entry to the next
constexpr double kLineLeading = 13;  // within an entry wrapped onto more lines
constexpr double kTitleLeading = 20; // within a book title wrapped onto more lines

// Where the index's lines go on its paper.
struct Sheet {
    explicit Sheet(const IndexPaper &paper)
        : width(paper.width), height(paper.height), right(width - kMargin),
          titleBaseline(height - kMargin - kTitleSize),
          firstLineBelowTitle(titleBaseline - 2.5 * kLeading),
          firstLineOnPage(height - kMargin - kLineSize)
    {}
    double width, height, right, titleBaseline, firstLineBelowTitle, firstLineOnPage;
};

double LeaderWidth(const EmbeddedFont &font)
{
    return font.Width(QStringLiteral(" ."), kLineSize);
}

// Where text may be cut after its first characters (at least one), never inside a surrogate pair.
bool CutAt(const QString &text, qsizetype at)
{
    return at > 0 && at < text.size() && !text.at(at).isLowSurrogate();
}

// The longest start of text no wider than width at size; at least one character.
qsizetype FittingStart(const EmbeddedFont &font, const QString &text, double width, double size)
{
    qsizetype fits = 1;
    while (fits < text.size() && text.at(fits).isLowSurrogate())
        ++fits;
    for (qsizetype at = fits + 1; at < text.size(); ++at)
        if (CutAt(text, at)) {
            if (font.Width(text.left(at), size) > width)
                break;
            fits = at;
        }
    return fits;
}

// Where the shortest end of text no wider than width starts; at least one character stays before.
qsizetype FittingEnd(const EmbeddedFont &font, const QString &text, double width)
{
    for (qsizetype at = 1; at < text.size(); ++at)
        if (CutAt(text, at) && font.Width(text.mid(at), kLineSize) <= width)
            return at;
    return text.size() - 1;
}

// The title's lines: words filled into width, the last line into lastWidth so the leaders and
// the number fit after it. A word too wide for a line is cut.
QStringList Wrapped(const EmbeddedFont &font, const QString &title, double width, double lastWidth,
                    double size = kLineSize)
{
    QStringList lines;
    QString line;
    for (const QString &word : title.split(u' ', Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + u' ' + word;
        if (font.Width(joined, size) <= width) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines.append(line);
        line = word;
        while (line.size() > 1 && font.Width(line, size) > width) {
            const qsizetype fits = FittingStart(font, line, width, size);
            lines.append(line.left(fits));
            line = line.mid(fits);
        }
    }
    if (line.size() > 1 && font.Width(line, kLineSize) > lastWidth) {
        // The last words that fit beside the number go onto a line of their own; when not even
        // the last word does, its end.
        QStringList words = line.split(u' ');
        QString end;
        while (words.size() > 1 &&
               font.Width(words.last() + (end.isEmpty() ? QString() : u' ' + end), kLineSize) <=
                   lastWidth)
            end = end.isEmpty() ? words.takeLast() : words.takeLast() + u' ' + end;
        if (end.isEmpty()) {
            const QString word = words.takeLast();
            const qsizetype cut = FittingEnd(font, word, lastWidth);
            words.append(word.left(cut));
            end = word.mid(cut);
        }
        lines.append(words.join(u' '));
        line = end;
    }
    lines.append(line);
    return lines;
}

// The text, cut with an ellipsis where it is wider than width.
QString Fitted(const EmbeddedFont &font, QString text, double size, double width)
{
    if (font.Width(text, size) <= width)
        return text;
    const QString ellipsis = QStringLiteral("…");
    while (!text.isEmpty() && font.Width(text + ellipsis, size) > width)
        text.chop(1);
    return text.trimmed() + ellipsis;
}

// The book's title at the head of the index, wrapped as the entries are; cut only where it would
// run off the first page.
QStringList TitleLines(const EmbeddedFont &font, const QString &title, const Sheet &sheet)
{
    const double width = sheet.right - kMargin;
    if (font.Width(title, kTitleSize) <= width)
        return {title};
    QStringList lines = Wrapped(font, title, width, width, kTitleSize);
    const qsizetype room =
        std::max<qsizetype>(1, qsizetype((sheet.titleBaseline - kMargin) / kTitleLeading) + 1);
    if (lines.size() > room) {
        const QString rest = QStringList(lines.mid(room - 1)).join(u' ');
        lines = lines.mid(0, room - 1);
        lines.append(Fitted(font, rest, kTitleSize, width));
    }
    return lines;
}

// One line of the index where it is set.
struct Row {
    qsizetype entry;
    QString text;
    bool last; // the entry's last line, with the leaders and the number
    int page;  // of the index, zero-based
    double baseline;
};

// The index's lines, page by page, below a book title of titleLines lines. An entry stays on
// one page when a page can hold it.
std::vector<Row> LaidOut(const EmbeddedFont &font, qsizetype titleLines, const QStringList &titles,
                         double numberWidth, const Sheet &sheet)
{
    const double width = sheet.right - kMargin;
    const double lastWidth =
        std::max(width / 3, width - std::min(numberWidth, width / 2) - 4 * LeaderWidth(font));
    std::vector<Row> rows;
    int page = 0;
    double baseline = sheet.firstLineBelowTitle - double(titleLines - 1) * kTitleLeading;
    for (qsizetype entry = 0; entry < titles.size(); ++entry) {
        const QStringList lines = Wrapped(font, titles.at(entry), width, lastWidth);
        const double height = double(lines.size() - 1) * kLineLeading;
        if (baseline - height < kMargin && sheet.firstLineOnPage - height >= kMargin) {
            ++page;
            baseline = sheet.firstLineOnPage;
        }
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (baseline < kMargin) {
                ++page;
                baseline = sheet.firstLineOnPage;
            }
            rows.push_back({entry, lines.at(i), i == lines.size() - 1, page, baseline});
            baseline -= i == lines.size() - 1 ? kLeading : kLineLeading;
        }
    }
    return rows;
}

// A link to page (zero-based) of the file name beside the book.
QPDFObjectHandle RemoteLink(const QString &name, int page)
{
    QPDFObjectHandle file = QPDFObjectHandle::parse("<< /Type /Filespec >>");
    file.replaceKey("/F", QPDFObjectHandle::newString(name.toStdString()));
    file.replaceKey("/UF", QPDFObjectHandle::newUnicodeString(name.toStdString()));
    QPDFObjectHandle action = QPDFObjectHandle::parse("<< /S /GoToR >>");
    action.replaceKey("/F", file);
    action.replaceKey("/D", QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(page),
                                                        QPDFObjectHandle::newName("/Fit")}));
    return action;
}

QPDFObjectHandle Rectangle(double llx, double lly, double urx, double ury)
{
    QPDFObjectHandle box = QPDFObjectHandle::newArray();
    for (double edge : {llx, lly, urx, ury})
        box.appendItem(QPDFObjectHandle::newReal(edge, 2));
    return box;
}

QByteArray Text(EmbeddedFont &font, const QString &text, double size, double x, double y)
{
    return "BT /F " + ContentNumber(size) + " Tf 1 0 0 1 " + ContentNumber(x) + ' ' +
           ContentNumber(y) + " Tm " + font.Show(text) + " Tj ET\n";
}

QPDFObjectHandle NewPage(QPDF &book, QPDFObjectHandle resources, const QByteArray &content,
                         const Sheet &sheet)
{
    QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
    page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    page.replaceKey("/MediaBox", Rectangle(0, 0, sheet.width, sheet.height));
    page.replaceKey("/Resources", resources);
    if (!content.isEmpty()) // a blank page has none: an empty stream is written as broken Flate
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&book, content.toStdString()));
    return book.makeIndirectObject(page);
}

} // namespace

double IndexNumberWidth(const EmbeddedFont &font, const QStringList &numbers)
{
    double widest = 0;
    for (const QString &number : numbers)
        widest = std::max(widest, font.Width(number, kLineSize));
    return widest;
}

int IndexPageCount(const EmbeddedFont &font, const QString &bookTitle, const QStringList &titles,
                   double numberWidth, const IndexPaper &paper)
{
    const Sheet sheet(paper);
    const std::vector<Row> rows =
        LaidOut(font, TitleLines(font, bookTitle, sheet).size(), titles, numberWidth, sheet);
    return rows.empty() ? 1 : rows.back().page + 1;
}

void PutIndexInFront(QPDF &book, const QString &bookTitle, const QList<IndexLine> &lines, int pages,
                     bool blankPageAfter, EmbeddedFont &font, const IndexPaper &paper)
{
    const Sheet sheet(paper);
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F", font.Reference(book));
    resources.replaceKey("/Font", fonts);
    resources = book.makeIndirectObject(resources);

    QStringList titles, numbers;
    for (const IndexLine &line : lines) {
        titles.append(line.title);
        numbers.append(line.pageNumber);
    }
    const QStringList titleLines = TitleLines(font, bookTitle, sheet);
    const std::vector<Row> rows =
        LaidOut(font, titleLines.size(), titles, IndexNumberWidth(font, numbers), sheet);
    std::vector<QPDFObjectHandle> made;
    QByteArray content = "0 g\n";
    for (qsizetype i = 0; i < titleLines.size(); ++i)
        content += Text(font, titleLines.at(i), kTitleSize, kMargin,
                        sheet.titleBaseline - double(i) * kTitleLeading);
    QPDFObjectHandle annotations = QPDFObjectHandle::newArray();
    const auto finishPage = [&] {
        QPDFObjectHandle page = NewPage(book, resources, content, sheet);
        if (annotations.getArrayNItems() > 0)
            page.replaceKey("/Annots", annotations);
        made.push_back(page);
        content = "0 g\n";
        annotations = QPDFObjectHandle::newArray();
    };
    const double dotsWidth = LeaderWidth(font);
    double top = 0; // of the entry's lines on this page
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row &row = rows.at(r);
        while (int(made.size()) < row.page)
            finishPage();
        if (r == 0 || rows.at(r - 1).entry != row.entry || rows.at(r - 1).page != row.page)
            top = row.baseline + kLineSize;
        const IndexLine &line = lines.at(row.entry);
        content += Text(font, row.text, kLineSize, kMargin, row.baseline);
        if (row.last) {
            const double numberWidth = font.Width(line.pageNumber, kLineSize);
            content +=
                Text(font, line.pageNumber, kLineSize, sheet.right - numberWidth, row.baseline);
            // Leaders from the title's end to a dot's room before the number, each dot on one
            // grid down the page, as a typesetter sets them: the grid starts at the margin.
            const int first = int(std::ceil(font.Width(row.text, kLineSize) / dotsWidth));
            const int dots =
                int(std::floor((sheet.right - numberWidth - dotsWidth - kMargin) / dotsWidth)) -
                first;
            if (dots > 0)
                content += Text(font, QStringLiteral(" .").repeated(dots), kLineSize,
                                kMargin + first * dotsWidth, row.baseline);
        }
        if (r + 1 < rows.size() && rows.at(r + 1).entry == row.entry &&
            rows.at(r + 1).page == row.page)
            continue;
        QPDFObjectHandle link =
            QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Link /Border [0 0 0] /F 4 >>");
        link.replaceKey("/Rect", Rectangle(kMargin, row.baseline - 4, sheet.right, top));
        if (line.file.isEmpty())
            link.replaceKey("/Dest", QPDFObjectHandle::newArray(
                                         {line.page, QPDFObjectHandle::newName("/Fit")}));
        else
            link.replaceKey("/A", RemoteLink(line.file, line.filePage));
        annotations.appendItem(book.makeIndirectObject(link));
    }
    // Pages asked beyond what the entries need stay empty: a set's plan counted them.
    const int needed = rows.empty() ? 1 : rows.back().page + 1;
    while (int(made.size()) < std::max(pages, needed))
        finishPage();
    if (blankPageAfter)
        made.push_back(NewPage(book, QPDFObjectHandle::newDictionary(), QByteArray(), sheet));
    // The first goes in through qpdf, which flattens the page tree; the others straight into
    // its kids, as inserting each at the front would move every page's place each time.
    QPDFPageDocumentHelper(book).addPage(QPDFPageObjectHelper(made.front()), true);
    QPDFObjectHandle tree = book.getRoot().getKey("/Pages");
    std::vector<QPDFObjectHandle> kids = tree.getKey("/Kids").getArrayAsVector();
    kids.insert(kids.begin() + 1, made.begin() + 1, made.end());
    for (QPDFObjectHandle &page : made)
        page.replaceKey("/Parent", tree);
    tree.replaceKey("/Kids", QPDFObjectHandle::newArray(kids));
    tree.replaceKey("/Count", QPDFObjectHandle::newInteger(qint64(kids.size())));
    book.updateAllPagesCache();
}

QPDFObjectHandle MissingDocumentPage(QPDF &book, const QString &fileName, const QString &reason,
                                     EmbeddedFont &font, const IndexPaper &paper)
{
    const Sheet sheet(paper);
    const double width = sheet.right - kMargin;
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F", font.Reference(book));
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    QByteArray content = "0 g\n" + Text(font, Fitted(font, fileName, kTitleSize, width), kTitleSize,
                                        kMargin, sheet.titleBaseline);
    double baseline = sheet.firstLineBelowTitle;
    for (const QString &line : Wrapped(font, reason, width, width)) {
        content += Text(font, line, kLineSize, kMargin, baseline);
        baseline -= kLineLeading;
    }
    return NewPage(book, book.makeIndirectObject(resources), content, sheet);
}

} // namespace qf
