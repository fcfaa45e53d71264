#include "text/EmbeddedFont.h"

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <QCoreApplication>
#include <QFile>

#include <string>

namespace qf {
namespace {

// 1000 units to the em, as PDF font metrics are given.
int Thousandths(hb_position_t value, unsigned unitsPerEm)
{
    return int(qRound(double(value) * 1000.0 / unitsPerEm));
}

QByteArray Hex4(unsigned value)
{
    return QByteArray::number(value, 16).rightJustified(4, '0');
}

// Maps each glyph back to the characters it shows, for search and copy.
std::string ToUnicodeCMap(const std::map<unsigned, uint32_t> &used)
{
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    auto it = used.begin();
    while (it != used.end()) {
        QByteArray block;
        int count = 0;
        for (; it != used.end() && count < 100; ++it, ++count) {
            const QString character =
                QString::fromUcs4(reinterpret_cast<const char32_t *>(&it->second), 1);
            QByteArray utf16;
            for (const QChar unit : character)
                utf16 += Hex4(unit.unicode());
            block += '<' + Hex4(it->first) + "> <" + utf16 + ">\n";
        }
        cmap += QByteArray::number(count) + " beginbfchar\n" + block + "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return cmap.toStdString();
}

// Six capitals that name this subset, from the glyphs in it.
std::string SubsetTag(const std::map<unsigned, uint32_t> &used)
{
    quint32 hash = 2166136261u;
    for (const auto &[glyph, character] : used)
        hash = (hash ^ glyph) * 16777619u;
    std::string tag;
    for (int i = 0; i < 6; ++i, hash /= 26)
        tag += char('A' + hash % 26);
    return tag;
}

// Collects a glyph's outline as PDF path operators, in points.
struct PathOut {
    QByteArray path;
    double scale = 1; // points to a font unit
    QByteArray Point(float px, float py) const
    {
        return ContentNumber(px * scale) + ' ' + ContentNumber(py * scale) + ' ';
    }
};

hb_draw_funcs_t *PathFunctions()
{
    static hb_draw_funcs_t *const functions = [] {
        hb_draw_funcs_t *made = hb_draw_funcs_create();
        hb_draw_funcs_set_move_to_func(
            made,
            [](hb_draw_funcs_t *, void *out, hb_draw_state_t *, float x, float y, void *) {
                auto &to = *static_cast<PathOut *>(out);
                to.path += to.Point(x, y) + "m ";
            },
            nullptr, nullptr);
        hb_draw_funcs_set_line_to_func(
            made,
            [](hb_draw_funcs_t *, void *out, hb_draw_state_t *, float x, float y, void *) {
                auto &to = *static_cast<PathOut *>(out);
                to.path += to.Point(x, y) + "l ";
            },
            nullptr, nullptr);
        // PDF has cubic curves only; a quadratic one is the cubic with controls two thirds of
        // the way to its control point.
        hb_draw_funcs_set_quadratic_to_func(
            made,
            [](hb_draw_funcs_t *, void *out, hb_draw_state_t *st, float cx, float cy, float x,
               float y, void *) {
                auto &to = *static_cast<PathOut *>(out);
                to.path += to.Point(st->current_x + 2 * (cx - st->current_x) / 3,
                                    st->current_y + 2 * (cy - st->current_y) / 3) +
                           to.Point(x + 2 * (cx - x) / 3, y + 2 * (cy - y) / 3) + to.Point(x, y) +
                           "c ";
            },
            nullptr, nullptr);
        hb_draw_funcs_set_cubic_to_func(
            made,
            [](hb_draw_funcs_t *, void *out, hb_draw_state_t *, float c1x, float c1y, float c2x,
               float c2y, float x, float y, void *) {
                auto &to = *static_cast<PathOut *>(out);
                to.path += to.Point(c1x, c1y) + to.Point(c2x, c2y) + to.Point(x, y) + "c ";
            },
            nullptr, nullptr);
        hb_draw_funcs_set_close_path_func(
            made,
            [](hb_draw_funcs_t *, void *out, hb_draw_state_t *, void *) {
                static_cast<PathOut *>(out)->path += "h ";
            },
            nullptr, nullptr);
        hb_draw_funcs_make_immutable(made);
        return made;
    }();
    return functions;
}

} // namespace

QByteArray ContentNumber(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

std::unique_ptr<EmbeddedFont> EmbeddedFont::Open(const QString &path, Status &status)
{
    std::unique_ptr<EmbeddedFont> font(new EmbeddedFont);
    font->path_ = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        status = Status::Failed(
            path, QCoreApplication::translate("Bundle", "the font could not be read (%1); "
                                                        "install fonts-dejavu-core")
                      .arg(file.errorString()));
        return nullptr;
    }
    const QByteArray data = file.readAll();
    font->blob_ = hb_blob_create(data.constData(), unsigned(data.size()), HB_MEMORY_MODE_DUPLICATE,
                                 nullptr, nullptr);
    font->face_ = hb_face_create(font->blob_, 0);
    font->unitsPerEm_ = hb_face_get_upem(font->face_);
    font->font_ = hb_font_create(font->face_);
    hb_font_set_scale(font->font_, int(font->unitsPerEm_), int(font->unitsPerEm_));
    if (hb_face_get_glyph_count(font->face_) == 0 || font->Glyph('0') == 0) {
        status = Status::Failed(path, QCoreApplication::translate("Bundle", "is not a font that "
                                                                            "can be used"));
        return nullptr;
    }
    status = Status::Ok();
    return font;
}

EmbeddedFont::~EmbeddedFont()
{
    hb_font_destroy(font_);
    hb_face_destroy(face_);
    hb_blob_destroy(blob_);
}

unsigned EmbeddedFont::Glyph(uint32_t character) const
{
    hb_codepoint_t glyph = 0;
    hb_font_get_nominal_glyph(font_, character, &glyph); // none: glyph 0, the font's box
    return glyph;
}

double EmbeddedFont::Width(const QString &text, double size) const
{
    hb_position_t units = 0;
    for (const char32_t character : text.normalized(QString::NormalizationForm_C).toUcs4())
        units += hb_font_get_glyph_h_advance(font_, Glyph(character));
    return double(units) * size / unitsPerEm_;
}

std::vector<std::pair<unsigned, double>> EmbeddedFont::Glyphs(const QString &text,
                                                              double size) const
{
    std::vector<std::pair<unsigned, double>> glyphs;
    double x = 0;
    for (const char32_t character : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        const unsigned glyph = Glyph(character);
        glyphs.emplace_back(glyph, x);
        x += hb_font_get_glyph_h_advance(font_, glyph) * size / unitsPerEm_;
    }
    return glyphs;
}

EmbeddedFont::Outline EmbeddedFont::OutlineOf(unsigned glyph, double size) const
{
    PathOut out;
    out.scale = size / unitsPerEm_;
    hb_font_get_glyph_shape(font_, glyph, PathFunctions(), &out);
    Outline outline{out.path, {}};
    hb_glyph_extents_t extents = {};
    if (hb_font_get_glyph_extents(font_, glyph, &extents)) {
        outline.box[0] = extents.x_bearing * out.scale;
        outline.box[1] = (extents.y_bearing + extents.height) * out.scale;
        outline.box[2] = (extents.x_bearing + extents.width) * out.scale;
        outline.box[3] = extents.y_bearing * out.scale;
    }
    return outline;
}

QByteArray EmbeddedFont::Show(const QString &text)
{
    QByteArray shown = "<";
    for (const char32_t character : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        const unsigned glyph = Glyph(character);
        used_.emplace(glyph, glyph == 0 ? 0xFFFD : uint32_t(character));
        shown += Hex4(glyph);
    }
    return shown + '>';
}

QPDFObjectHandle EmbeddedFont::Reference(QPDF &pdf)
{
    if (!dictionary_.isInitialized() || dictionary_.getOwningQPDF() != &pdf)
        dictionary_ = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    return dictionary_;
}

Status EmbeddedFont::Embed(QPDF &pdf)
{
    hb_subset_input_t *input = hb_subset_input_create_or_fail();
    if (!input)
        return Status::Failed(path_, QCoreApplication::translate("Bundle", "out of memory"));
    hb_set_t *glyphs = hb_subset_input_glyph_set(input);
    hb_set_add(glyphs, 0);
    for (const auto &[glyph, character] : used_)
        hb_set_add(glyphs, glyph);
    hb_set_clear(hb_subset_input_unicode_set(input));
    // Glyphs keep their numbers, so the text already written needs no renumbering.
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    hb_face_t *subset = hb_subset_or_fail(face_, input);
    hb_subset_input_destroy(input);
    if (!subset)
        return Status::Failed(
            path_, QCoreApplication::translate("Bundle", "the font could not be subset"));
    hb_blob_t *subsetBlob = hb_face_reference_blob(subset);
    unsigned length = 0;
    const char *bytes = hb_blob_get_data(subsetBlob, &length);
    const std::string fontFile(bytes, length);
    hb_blob_destroy(subsetBlob);
    hb_face_destroy(subset);

    char name[128] = {};
    unsigned nameLength = sizeof name;
    hb_ot_name_get_utf8(face_, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &nameLength,
                        name);
    const std::string baseName = "/" + SubsetTag(used_) + "+" + (name[0] ? name : "Font");

    hb_font_extents_t extents = {};
    hb_font_get_h_extents(font_, &extents);
    hb_position_t capHeight = extents.ascender;
    hb_ot_metrics_get_position(font_, HB_OT_METRICS_TAG_CAP_HEIGHT, &capHeight);
    int box[4] = {0, Thousandths(extents.descender, unitsPerEm_), 1000,
                  Thousandths(extents.ascender, unitsPerEm_)};
    QPDFObjectHandle widths = QPDFObjectHandle::newArray();
    for (const auto &[glyph, character] : used_) {
        widths.appendItem(QPDFObjectHandle::newInteger(glyph));
        QPDFObjectHandle width = QPDFObjectHandle::newArray();
        width.appendItem(QPDFObjectHandle::newInteger(
            Thousandths(hb_font_get_glyph_h_advance(font_, glyph), unitsPerEm_)));
        widths.appendItem(width);
        hb_glyph_extents_t glyphBox = {};
        if (hb_font_get_glyph_extents(font_, glyph, &glyphBox)) {
            box[0] = std::min(box[0], Thousandths(glyphBox.x_bearing, unitsPerEm_));
            box[1] =
                std::min(box[1], Thousandths(glyphBox.y_bearing + glyphBox.height, unitsPerEm_));
            box[2] =
                std::max(box[2], Thousandths(glyphBox.x_bearing + glyphBox.width, unitsPerEm_));
            box[3] = std::max(box[3], Thousandths(glyphBox.y_bearing, unitsPerEm_));
        }
    }
    QPDFObjectHandle file = QPDFObjectHandle::newStream(&pdf, fontFile);
    file.getDict().replaceKey("/Length1", QPDFObjectHandle::newInteger(qint64(fontFile.size())));
    QPDFObjectHandle bbox = QPDFObjectHandle::newArray();
    for (int edge : box)
        bbox.appendItem(QPDFObjectHandle::newInteger(edge));
    QPDFObjectHandle descriptor = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /FontDescriptor /Flags 32 /ItalicAngle 0 /StemV 80 >>"));
    descriptor.replaceKey("/FontName", QPDFObjectHandle::newName(baseName));
    descriptor.replaceKey("/FontBBox", bbox);
    descriptor.replaceKey("/Ascent",
                          QPDFObjectHandle::newInteger(Thousandths(extents.ascender, unitsPerEm_)));
    descriptor.replaceKey(
        "/Descent", QPDFObjectHandle::newInteger(Thousandths(extents.descender, unitsPerEm_)));
    descriptor.replaceKey("/CapHeight",
                          QPDFObjectHandle::newInteger(Thousandths(capHeight, unitsPerEm_)));
    descriptor.replaceKey("/FontFile2", file);
    QPDFObjectHandle glyphFont = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /CIDFontType2 /CIDToGIDMap /Identity /CIDSystemInfo << "
        "/Registry (Adobe) /Ordering (Identity) /Supplement 0 >> >>"));
    glyphFont.replaceKey("/BaseFont", QPDFObjectHandle::newName(baseName));
    glyphFont.replaceKey("/FontDescriptor", descriptor);
    glyphFont.replaceKey("/W", widths);
    QPDFObjectHandle font = Reference(pdf);
    font.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    font.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type0"));
    font.replaceKey("/BaseFont", QPDFObjectHandle::newName(baseName));
    font.replaceKey("/Encoding", QPDFObjectHandle::newName("/Identity-H"));
    QPDFObjectHandle descendants = QPDFObjectHandle::newArray();
    descendants.appendItem(glyphFont);
    font.replaceKey("/DescendantFonts", descendants);
    font.replaceKey("/ToUnicode", QPDFObjectHandle::newStream(&pdf, ToUnicodeCMap(used_)));
    return Status::Ok();
}

} // namespace qf
