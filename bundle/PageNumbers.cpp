#include "bundle/PageNumbers.h"

#include "book/PageContent.h"
#include "book/PageFit.h"
#include "book/PageMarks.h"
#include "book/ShownPage.h"
#include "bundle/NumberRoom.h"

#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <zlib.h>

#include <map>
#include <set>

namespace qf {
namespace {

constexpr double kStampSize = 10;     // points
constexpr double kStampRight = 28;    // from the shown page's right edge to the number's end
constexpr double kStampBottom = 20;   // from the shown page's bottom edge to the baseline
constexpr double kOutlineWidth = 1.5; // of the white around the glyphs, half of it outside

// A free name for the stamp among the page's forms and images.
std::string FreeName(QPDFObjectHandle forms)
{
    std::string name = "/QfPageNumber";
    for (int i = 1; forms.hasKey(name); ++i)
        name = "/QfPageNumber" + std::to_string(i);
    return name;
}

// A stamp is small: compressed with a small window and little memory, where the writer would set
// a full compressor up for each.
std::string Deflated(const QByteArray &data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 10, 2, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
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

// Gives the page its stamp, a form, under a name of its own, and its content put between save and
// the form's use, which is shared by all stamps of one orientation and name; the page as shown.
ShownPage PlaceStamp(QPDFObjectHandle page, QPDFObjectHandle save, const Beginning &beginning,
                     QPDFObjectHandle stamp)
{
    QPDFPageObjectHelper helper(page);
    QPDFObjectHandle forms = PageForms(page);
    const std::string name = FreeName(forms);
    forms.replaceKey(name, stamp);
    const ShownPage shown = Shown(helper);
    // Each page has only its number's form of its own. (Streams of a page's content join at token
    // boundaries into one.)
    QByteArray use = "\nQ\nq ";
    for (double value : shown.matrix)
        use += ContentNumber(value) + ' ';
    // Marked as the page's pagination, so a screen reader of a tagged book passes it over.
    use += "cm /Artifact << /Type /Pagination /Subtype /Footer >> BDC " +
           QByteArray::fromStdString(name) + " Do EMC Q\n";
    PutContentBetween(page, save, beginning(use));
    return shown;
}

// What every stamp's form draws with: the font, and for each glyph of the numbers its outline
// stroked in white, wider than the glyph, which the glyph is then filled over: the number reads
// on light and dark pages alike.
QPDFObjectHandle StampResources(QPDF &book, EmbeddedFont &font, const QStringList &texts)
{
    std::set<unsigned> glyphs;
    for (const QString &text : texts)
        for (const auto &[glyph, x] : font.Glyphs(text, kStampSize))
            glyphs.insert(glyph);
    QPDFObjectHandle outlines = QPDFObjectHandle::newDictionary();
    for (const unsigned glyph : glyphs) {
        const EmbeddedFont::Outline outline = font.OutlineOf(glyph, kStampSize);
        if (outline.path.isEmpty()) // a space
            continue;
        QPDFObjectHandle form = QPDFObjectHandle::newStream(
            &book,
            ("1 G " + ContentNumber(kOutlineWidth) + " w 1 j " + outline.path + 'S').toStdString());
        QPDFObjectHandle box = QPDFObjectHandle::newArray();
        for (int i = 0; i < 4; ++i)
            box.appendItem(QPDFObjectHandle::newReal(
                outline.box[i] + (i < 2 ? -kOutlineWidth : kOutlineWidth), 2));
        form.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        form.getDict().replaceKey("/BBox", box);
        outlines.replaceKey("/g" + std::to_string(glyph), form);
    }
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", QPDFObjectHandle::newDictionary({{"/F", font.Reference(book)}}));
    resources.replaceKey("/XObject", outlines);
    return book.makeIndirectObject(resources);
}

// Makes stamp the form of text on a page shown width wide.
void FillStamp(QPDFObjectHandle stamp, const QString &text, double width, EmbeddedFont &font,
               QPDFObjectHandle resources)
{
    // Kept on a page too narrow for it.
    const double left = std::max(2.0, width - kStampRight - font.Width(text, kStampSize));
    QByteArray data =
        "q 1 0 0 1 " + ContentNumber(left) + ' ' + ContentNumber(kStampBottom) + " cm";
    double at = 0;
    for (const auto &[glyph, x] : font.Glyphs(text, kStampSize)) {
        const std::string name = "/g" + std::to_string(glyph);
        if (!resources.getKey("/XObject").hasKey(name))
            continue;
        if (x != at)
            data += " 1 0 0 1 " + ContentNumber(x - at) + " 0 cm";
        data += ' ' + QByteArray::fromStdString(name) + " Do";
        at = x;
    }
    data += " Q 0 g BT /F " + ContentNumber(kStampSize) + " Tf 1 0 0 1 " + ContentNumber(left) +
            ' ' + ContentNumber(kStampBottom) + " Tm " + font.Show(text) + " Tj ET\n";
    stamp.replaceStreamData(Deflated(data), QPDFObjectHandle::newName("/FlateDecode"),
                            QPDFObjectHandle::newNull());
    QPDFObjectHandle dictionary = stamp.getDict();
    dictionary.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dictionary.replaceKey("/BBox",
                          QPDFObjectHandle::newArray(
                              {QPDFObjectHandle::newInteger(0), QPDFObjectHandle::newInteger(0),
                               QPDFObjectHandle::newReal(width, 2),
                               QPDFObjectHandle::newReal(kStampBottom + 2 * kStampSize, 2)}));
    dictionary.replaceKey("/Resources", resources);
}

const std::string kSaveKey = "stamp save", kUseKey = "stamp use ";

} // namespace

PageChange StampChange(const PageNumberFormat &format, const EmbeddedFont &font, NumberRoom room)
{
    // As wide as a number of the longest book can be: its room never falls short.
    const double widest = font.Width(format.Text(99999, 99999), kStampSize);
    return [widest, room](const std::vector<QPDFObjectHandle> &pages, BookReferences &references,
                          SourcePiece &piece) {
        if (room != NumberRoom::None && !pages.empty()) {
            std::vector<PageShrink> shrinks;
            for (QPDFObjectHandle page : pages) {
                QPDFPageObjectHelper helper(page);
                const ShownPage shown = Shown(helper);
                const double scale = RoomScale(
                    shown, room == NumberRoom::Always ? std::vector<MarkBox>() : PageMarks(page),
                    PlaceOfNumber(shown.width, widest), room == NumberRoom::Always);
                if (scale < 1) {
                    shrinks.push_back({page, scale});
                    piece.leastScale = std::min(piece.leastScale, scale);
                }
            }
            piece.shrunkPages = int(shrinks.size());
            if (!shrinks.empty())
                ShrinkPages(*pages.front().getOwningQPDF(), pages, shrinks, &piece.moves);
        }
        QPDFObjectHandle save = references.Shared(kSaveKey);
        const Beginning beginning = [&](const QByteArray &use) {
            return references.Shared(kUseKey + use.toStdString());
        };
        for (size_t i = 0; i < pages.size(); ++i) {
            const ShownPage shown = PlaceStamp(pages[i], save, beginning, references.OfPage(i));
            piece.notes.push_back(QByteArray::number(shown.width, 'g', 17).toStdString());
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
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(format.Text(firstNumber + i, total));
    const QPDFObjectHandle resources = StampResources(book, font, texts);
    // The page's own content is put between q and Q, so nothing it leaves set (a clip, a colour,
    // a transformation) reaches the stamp.
    const QPDFObjectHandle save = QPDFObjectHandle::newStream(&book, "q\n");
    std::map<QByteArray, QPDFObjectHandle> uses;
    // The pages written apart refer to the stamps' parts under the numbers they took.
    if (standIns)
        for (const auto &[key, number] : standIns->shared) {
            QPDFObjectHandle object;
            if (key == kSaveKey)
                object = save;
            else if (key.rfind(kUseKey, 0) == 0)
                object = uses[QByteArray::fromStdString(key.substr(kUseKey.size()))] =
                    QPDFObjectHandle::newStream(&book, key.substr(kUseKey.size()));
            if (object.isInitialized())
                standIns->write(object, number);
        }
    const Beginning beginning = [&](const QByteArray &use) {
        QPDFObjectHandle &shared = uses[use];
        if (!shared.isInitialized())
            shared = QPDFObjectHandle::newStream(&book, use.toStdString());
        return shared;
    };
    for (int i = 0; i < count; ++i) {
        QPDFObjectHandle page = pages.at(size_t(i));
        QPDFObjectHandle stamp = QPDFObjectHandle::newStream(&book);
        const auto standIn =
            standIns ? standIns->pages.find(page.getObjGen()) : decltype(standIns->pages.end())();
        if (standIns && standIn != standIns->pages.end()) {
            FillStamp(stamp, texts.at(i),
                      QByteArray::fromStdString(standIn->second.note).toDouble(), font, resources);
            standIns->write(stamp, standIn->second.object);
            continue;
        }
        const ShownPage shown = PlaceStamp(page, save, beginning, stamp);
        FillStamp(stamp, texts.at(i), shown.width, font, resources);
    }
    SetLabels(book, format.Labels(total, firstNumber, count));
}

} // namespace qf
