#include "bundle/IndexPages.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cmath>

namespace qf {
namespace {

constexpr double kWidth = 595.276, kHeight = 841.89; // A4
constexpr double kMargin = 72;
constexpr double kTitleSize = 16;
constexpr double kLineSize = 11;
constexpr double kLeading = 18;
constexpr double kTitleBaseline = kHeight - kMargin - kTitleSize;
constexpr double kFirstLineBelowTitle = kTitleBaseline - 2.5 * kLeading;
constexpr double kFirstLineOnPage = kHeight - kMargin - kLineSize;

int LinesFrom(double firstBaseline)
{
    return int(std::floor((firstBaseline - kMargin) / kLeading)) + 1;
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

QPDFObjectHandle NewPage(QPDF &book, QPDFObjectHandle resources, const QByteArray &content)
{
    QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
    page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    page.replaceKey("/MediaBox", Rectangle(0, 0, kWidth, kHeight));
    page.replaceKey("/Resources", resources);
    if (!content.isEmpty()) // a blank page has none: an empty stream is written as broken Flate
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&book, content.toStdString()));
    return book.makeIndirectObject(page);
}

} // namespace

int IndexPageCount(qsizetype lines)
{
    const int first = LinesFrom(kFirstLineBelowTitle), other = LinesFrom(kFirstLineOnPage);
    return lines <= first ? 1 : 1 + int((lines - first + other - 1) / other);
}

void PutIndexInFront(QPDF &book, const QString &bookTitle, const QList<IndexLine> &lines,
                     bool blankPageAfter, EmbeddedFont &font)
{
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F", font.Reference(book));
    resources.replaceKey("/Font", fonts);
    resources = book.makeIndirectObject(resources);

    std::vector<QPDFObjectHandle> made;
    QByteArray content =
        "0 g\n" + Text(font, Fitted(font, bookTitle, kTitleSize, kWidth - 2 * kMargin), kTitleSize,
                       kMargin, kTitleBaseline);
    QPDFObjectHandle annotations = QPDFObjectHandle::newArray();
    double baseline = kFirstLineBelowTitle;
    const auto finishPage = [&] {
        QPDFObjectHandle page = NewPage(book, resources, content);
        if (annotations.getArrayNItems() > 0)
            page.replaceKey("/Annots", annotations);
        made.push_back(page);
        content = "0 g\n";
        annotations = QPDFObjectHandle::newArray();
        baseline = kFirstLineOnPage;
    };
    const double dotsWidth = font.Width(QStringLiteral(" ."), kLineSize);
    for (const IndexLine &line : lines) {
        if (baseline < kMargin)
            finishPage();
        const double right = kWidth - kMargin;
        const double numberWidth = font.Width(line.pageNumber, kLineSize);
        const QString title =
            Fitted(font, line.title, kLineSize, right - kMargin - numberWidth - 4 * dotsWidth);
        content += Text(font, title, kLineSize, kMargin, baseline);
        content += Text(font, line.pageNumber, kLineSize, right - numberWidth, baseline);
        // Leaders from the title's end to a dot's room before the number, each dot on one grid
        // down the page, as a typesetter sets them: the grid starts at the margin.
        const int first = int(std::ceil(font.Width(title, kLineSize) / dotsWidth));
        const int dots =
            int(std::floor((right - numberWidth - dotsWidth - kMargin) / dotsWidth)) - first;
        if (dots > 0)
            content += Text(font, QStringLiteral(" .").repeated(dots), kLineSize,
                            kMargin + first * dotsWidth, baseline);
        QPDFObjectHandle link =
            QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Link /Border [0 0 0] /F 4 >>");
        link.replaceKey("/Rect", Rectangle(kMargin, baseline - 4, right, baseline + kLineSize));
        if (line.file.isEmpty())
            link.replaceKey("/Dest", QPDFObjectHandle::newArray(
                                         {line.page, QPDFObjectHandle::newName("/Fit")}));
        else
            link.replaceKey("/A", RemoteLink(line.file, line.filePage));
        annotations.appendItem(book.makeIndirectObject(link));
        baseline -= kLeading;
    }
    finishPage();
    if (blankPageAfter)
        made.push_back(NewPage(book, QPDFObjectHandle::newDictionary(), QByteArray()));
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

} // namespace qf
