#include "bundle/PageNumbers.h"

#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <zlib.h>

#include <map>

namespace qf {
namespace {

constexpr double kStampSize = 10;   // points
constexpr double kStampRight = 28;  // from the shown page's right edge to the number's end
constexpr double kStampBottom = 20; // from the shown page's bottom edge to the baseline

// A free name for the stamp's font among the page's fonts.
std::string FreeFontName(QPDFObjectHandle fonts)
{
    std::string name = "/QfPageNumber";
    for (int i = 1; fonts.hasKey(name); ++i)
        name = "/QfPageNumber" + std::to_string(i);
    return name;
}

// The page's shown box, and the matrix from a space whose origin is the shown box's bottom left
// and whose axes are as the page is shown, into the page's own space.
struct ShownPage {
    double width = 0, height = 0;
    double matrix[6] = {1, 0, 0, 1, 0, 0};
};

// The page's crop box, else its media box; a page with neither as four numbers (a damaged one) is
// taken as readers take it, US Letter.
QPDFObjectHandle::Rectangle ShownBox(QPDFPageObjectHelper &page)
{
    for (const char *key : {"/CropBox", "/MediaBox"})
        if (QPDFObjectHandle box = page.getAttribute(key, false); box.isRectangle())
            return box.getArrayAsRectangle();
    return {0, 0, 612, 792};
}

ShownPage Shown(QPDFPageObjectHelper &page)
{
    const QPDFObjectHandle::Rectangle box = ShownBox(page);
    const double x0 = std::min(box.llx, box.urx), x1 = std::max(box.llx, box.urx);
    const double y0 = std::min(box.lly, box.ury), y1 = std::max(box.lly, box.ury);
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    const int turns = (((rotate.isInteger() ? int(rotate.getIntValue()) : 0) / 90) % 4 + 4) % 4;
    ShownPage shown;
    const double w = x1 - x0, h = y1 - y0;
    switch (turns) {
    case 0:
        shown = {w, h, {1, 0, 0, 1, x0, y0}};
        break;
    case 1: // turned clockwise: the page's left edge is shown on top
        shown = {h, w, {0, 1, -1, 0, x1, y0}};
        break;
    case 2:
        shown = {w, h, {-1, 0, 0, -1, x1, y1}};
        break;
    default:
        shown = {h, w, {0, -1, 1, 0, x0, y1}};
        break;
    }
    return shown;
}

// A page's number is some tens of bytes, which no compression makes smaller: it is stored as
// Flate without compressing, where the writer would set a compressor up for each.
std::string StoredFlate(const QByteArray &data)
{
    const auto length = quint16(data.size());
    const uLong check = adler32(adler32(0, nullptr, 0),
                                reinterpret_cast<const Bytef *>(data.constData()), uInt(length));
    std::string out = {'\x78',
                       '\x01',
                       '\x01',
                       char(length & 0xFF),
                       char(length >> 8),
                       char(~length & 0xFF),
                       char((~length >> 8) & 0xFF)};
    out.append(data.constData(), length);
    for (int shift : {24, 16, 8, 0})
        out += char((check >> shift) & 0xFF);
    return out;
}

// The page's content streams between before and after. What is not a stream there (a damaged
// file's) would stop every reader of the page, so it is left out.
QPDFObjectHandle Around(QPDFObjectHandle contents, const QPDFObjectHandle &before,
                        const std::vector<QPDFObjectHandle> &after)
{
    std::vector<QPDFObjectHandle> streams{before};
    if (contents.isStream())
        streams.push_back(contents);
    else if (contents.isArray())
        for (QPDFObjectHandle item : contents.aitems())
            if (item.isStream())
                streams.push_back(item);
    streams.insert(streams.end(), after.begin(), after.end());
    return QPDFObjectHandle::newArray(streams);
}

void SetLabels(QPDF &book, const QList<PageNumberFormat::LabelRange> &labels)
{
    auto tree = QPDFNumberTreeObjectHelper::newEmpty(book);
    for (const PageNumberFormat::LabelRange &range : labels) {
        QPDFObjectHandle label = QPDFObjectHandle::newDictionary();
        if (range.numbered) {
            label.replaceKey("/S", QPDFObjectHandle::newName("/D"));
            if (range.start != 1)
                label.replaceKey("/St", QPDFObjectHandle::newInteger(range.start));
        }
        if (!range.prefix.isEmpty())
            label.replaceKey("/P", QPDFObjectHandle::newUnicodeString(range.prefix.toStdString()));
        tree.insert(range.firstPage, label);
    }
    book.getRoot().replaceKey("/PageLabels", tree.getObjectHandle());
}

} // namespace

namespace {

using Beginning = std::function<QPDFObjectHandle(const QByteArray &begin)>;

// Gives the page the stamp's font under a name of its own, and its content put between save and
// the stamp, whose beginning is shared by all stamps of one orientation and font name; the page
// as shown.
ShownPage PlaceStamp(QPDFObjectHandle page, QPDFObjectHandle font, QPDFObjectHandle save,
                     const Beginning &beginning, QPDFObjectHandle stamp)
{
    QPDFPageObjectHelper helper(page);
    QPDFObjectHandle resources = page.getKey("/Resources");
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        page.replaceKey("/Resources", resources);
    }
    QPDFObjectHandle fonts = resources.getKey("/Font");
    if (!fonts.isDictionary()) {
        fonts = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/Font", fonts);
    }
    std::string name;
    for (const auto &[key, value] : fonts.ditems())
        if (value.isSameObjectAs(font))
            name = key;
    if (name.empty()) {
        name = FreeFontName(fonts);
        fonts.replaceKey(name, font);
    }
    const ShownPage shown = Shown(helper);
    // Each page has only its number's place and glyphs of its own. (Streams of a page's content
    // join at token boundaries into one.)
    QByteArray begin = "\nQ\nq ";
    for (double value : shown.matrix)
        begin += ContentNumber(value) + ' ';
    // Marked as the page's pagination, so a screen reader of a tagged book passes it over.
    begin += "cm /Artifact << /Type /Pagination /Subtype /Footer >> BDC 0 g BT " +
             QByteArray::fromStdString(name) + ' ' + ContentNumber(kStampSize) + " Tf\n";
    page.replaceKey("/Contents", Around(page.getKey("/Contents"), save, {beginning(begin), stamp}));
    return shown;
}

// The stamp's own part on a page shown width wide.
std::string StampData(const QString &text, double width, EmbeddedFont &font)
{
    // Kept on a page too narrow for it.
    const double left = std::max(2.0, width - kStampRight - font.Width(text, kStampSize));
    return StoredFlate("1 0 0 1 " + ContentNumber(left) + ' ' + ContentNumber(kStampBottom) +
                       " Tm " + font.Show(text) + " Tj ET EMC Q\n");
}

const std::string kFontKey = "stamp font", kSaveKey = "stamp save", kBeginKey = "stamp begin ";

} // namespace

PageChange StampChange()
{
    return [](const std::vector<QPDFObjectHandle> &pages, BookReferences &references,
              std::vector<std::string> &notes) {
        QPDFObjectHandle font = references.Shared(kFontKey);
        QPDFObjectHandle save = references.Shared(kSaveKey);
        const Beginning beginning = [&](const QByteArray &begin) {
            return references.Shared(kBeginKey + begin.toStdString());
        };
        for (size_t i = 0; i < pages.size(); ++i) {
            const ShownPage shown =
                PlaceStamp(pages[i], font, save, beginning, references.OfPage(i));
            notes.push_back(QByteArray::number(shown.width, 'g', 17).toStdString());
        }
    };
}

void NumberPages(QPDF &book, const PageNumberFormat &format, EmbeddedFont &font,
                 const StandIns *standIns, int firstNumber, int numberedTotal)
{
    book.pushInheritedAttributesToPage();
    const std::vector<QPDFObjectHandle> pages = book.getAllPages();
    const int count = int(pages.size());
    const int total = numberedTotal > 0 ? numberedTotal : count;
    // The page's own content is put between q and Q, so nothing it leaves set (a clip, a colour,
    // a transformation) reaches the stamp.
    const QPDFObjectHandle save = QPDFObjectHandle::newStream(&book, "q\n");
    std::map<QByteArray, QPDFObjectHandle> beginnings;
    // The pages written apart refer to the stamps' parts under the numbers they took.
    if (standIns)
        for (const auto &[key, number] : standIns->shared) {
            QPDFObjectHandle object;
            if (key == kFontKey)
                object = font.Reference(book);
            else if (key == kSaveKey)
                object = save;
            else if (key.rfind(kBeginKey, 0) == 0)
                object = beginnings[QByteArray::fromStdString(key.substr(kBeginKey.size()))] =
                    QPDFObjectHandle::newStream(&book, key.substr(kBeginKey.size()));
            if (object.isInitialized())
                standIns->write(object, number);
        }
    const Beginning beginning = [&](const QByteArray &begin) {
        QPDFObjectHandle &shared = beginnings[begin];
        if (!shared.isInitialized())
            shared = QPDFObjectHandle::newStream(&book, begin.toStdString());
        return shared;
    };
    for (int i = 0; i < count; ++i) {
        const QString text = format.Text(firstNumber + i, total);
        QPDFObjectHandle page = pages.at(size_t(i));
        QPDFObjectHandle stamped = QPDFObjectHandle::newStream(&book);
        const auto standIn =
            standIns ? standIns->pages.find(page.getObjGen()) : decltype(standIns->pages.end())();
        if (standIns && standIn != standIns->pages.end()) {
            stamped.replaceStreamData(
                StampData(text, QByteArray::fromStdString(standIn->second.note).toDouble(), font),
                QPDFObjectHandle::newName("/FlateDecode"), QPDFObjectHandle::newNull());
            standIns->write(stamped, standIn->second.object);
            continue;
        }
        const ShownPage shown = PlaceStamp(page, font.Reference(book), save, beginning, stamped);
        stamped.replaceStreamData(StampData(text, shown.width, font),
                                  QPDFObjectHandle::newName("/FlateDecode"),
                                  QPDFObjectHandle::newNull());
    }
    SetLabels(book, format.Labels(total, firstNumber, count));
}

} // namespace qf
