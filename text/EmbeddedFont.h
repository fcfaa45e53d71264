#pragma once

#include "core/Status.h"

#include <qpdf/QPDF.hh>

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <vector>

struct hb_blob_t;
struct hb_face_t;
struct hb_font_t;

namespace qf {

// The font the program sets its own text in: DejaVu Sans, which covers Latin, Greek and Cyrillic.
inline const QString kTextFontPath =
    QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

// A number as the program writes it into content: at most two decimals, none that say nothing.
QByteArray ContentNumber(double value);

// A TrueType font for text the program writes into a PDF. Only the glyphs used are embedded, once,
// with the characters they stand for, so the text prints the same anywhere and can be searched
// and copied.
class EmbeddedFont {
public:
    // Null, with why, when the font file cannot be read as a font.
    static std::unique_ptr<EmbeddedFont> Open(const QString &path, Status &status);
    ~EmbeddedFont();
    EmbeddedFont(const EmbeddedFont &) = delete;
    EmbeddedFont &operator=(const EmbeddedFont &) = delete;

    // The width of text set at size points, in points.
    double Width(const QString &text, double size) const;
    // The glyphs of text set at size points from the origin, each with where it stands.
    std::vector<std::pair<unsigned, double>> Glyphs(const QString &text, double size) const;
    // A glyph's outline at size points as a PDF path, and the box that holds it.
    struct Outline {
        QByteArray path;
        double box[4] = {0, 0, 0, 0};
    };
    Outline OutlineOf(unsigned glyph, double size) const;
    // The text as a PDF string of glyphs, for Tj with this font; its glyphs go into the subset.
    QByteArray Show(const QString &text);
    // The font's dictionary in pdf, to name in resources; filled by Embed.
    QPDFObjectHandle Reference(QPDF &pdf);
    // Fills the dictionary with the subset of the glyphs shown so far; after the last Show.
    Status Embed(QPDF &pdf);

private:
    EmbeddedFont() = default;
    unsigned Glyph(uint32_t character) const;

    QString path_;
    hb_blob_t *blob_ = nullptr;
    hb_face_t *face_ = nullptr;
    hb_font_t *font_ = nullptr;
    unsigned unitsPerEm_ = 1000;
    std::map<unsigned, uint32_t> used_; // glyph → the character it was shown for
    QPDFObjectHandle dictionary_;
};

} // namespace qf
