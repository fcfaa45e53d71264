#include "book/FieldAppearances.h"

#include "book/Import.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <map>
#include <vector>

namespace qf {
namespace {

std::string Number(double value)
{
    return QUtil::double_to_string(value, 4, true);
}

// The colour operator for a widget's colour array: gray, RGB or CMYK; empty for none.
std::string Colour(QPDFObjectHandle colour, bool stroke)
{
    if (!colour.isArray())
        return {};
    std::string out;
    for (QPDFObjectHandle part : colour.aitems()) {
        if (!part.isNumber())
            return {};
        out += Number(part.getNumericValue()) + ' ';
    }
    switch (colour.getArrayNItems()) {
    case 1:
        return out + (stroke ? "G" : "g");
    case 3:
        return out + (stroke ? "RG" : "rg");
    case 4:
        return out + (stroke ? "K" : "k");
    default:
        return {};
    }
}

double BorderWidth(QPDFObjectHandle widget)
{
    if (QPDFObjectHandle width = ValueOf(widget.getKey("/BS"), "/W"); width.isNumber())
        return width.getNumericValue();
    if (QPDFObjectHandle border = widget.getKey("/Border");
        border.isArray() && border.getArrayNItems() >= 3 && border.getArrayItem(2).isNumber())
        return border.getArrayItem(2).getNumericValue();
    return 1;
}

// The background and border widget asks for, drawn under what its appearance shows.
std::string Decoration(QPDFObjectHandle widget, QPDFObjectHandle appearance)
{
    QPDFObjectHandle looks = widget.getKey("/MK"), box = appearance.getDict().getKey("/BBox");
    if (!looks.isDictionary() || !box.isRectangle())
        return {};
    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
    const double w = r.urx - r.llx, h = r.ury - r.lly;
    std::string under;
    if (const std::string fill = Colour(looks.getKey("/BG"), false); !fill.empty())
        under += "q " + fill + ' ' + Number(r.llx) + ' ' + Number(r.lly) + ' ' + Number(w) + ' ' +
                 Number(h) + " re f Q\n";
    const double width = BorderWidth(widget);
    if (const std::string stroke = Colour(looks.getKey("/BC"), true);
        !stroke.empty() && width > 0 && width * 2 < std::min(w, h))
        under += "q " + stroke + ' ' + Number(width) + " w " + Number(r.llx + width / 2) + ' ' +
                 Number(r.lly + width / 2) + ' ' + Number(w - width) + ' ' + Number(h - width) +
                 " re S Q\n";
    return under;
}

// qpdf draws a field's value through a filter on the appearance's data that works once: read
// again, the data comes without the value. The appearance becomes a stream of its own holding
// what was drawn, the decoration under it, which reads the same however often it is read.
QPDFObjectHandle Settled(QPDF &source, QPDFObjectHandle appearance, const std::string &under)
{
    std::shared_ptr<Buffer> drawn = appearance.getStreamData(qpdf_dl_generalized);
    std::string data = under;
    data.append(reinterpret_cast<const char *>(drawn->getBuffer()), drawn->getSize());
    QPDFObjectHandle settled = QPDFObjectHandle::newStream(&source, data);
    QPDFObjectHandle dict = settled.getDict();
    for (const auto &[key, value] : appearance.getDict().ditems())
        if (key != "/Length" && key != "/Filter" && key != "/DecodeParms" && key != "/DL")
            dict.replaceKey(key, value);
    return settled;
}

// Puts appearance where the widget's normal appearance was: in /N, or in its state there.
void ReplaceNormalAppearance(QPDFObjectHandle widget, QPDFObjectHandle appearance)
{
    QPDFObjectHandle normal = ValueOf(widget.getKey("/AP"), "/N");
    if (normal.isStream()) {
        widget.getKey("/AP").replaceKey("/N", appearance);
    } else if (QPDFObjectHandle state = widget.getKey("/AS");
               normal.isDictionary() && state.isName() &&
               normal.getKey(state.getName()).isStream()) {
        normal.replaceKey(state.getName(), appearance);
    }
}

} // namespace

std::string DefaultAppearanceFont(const std::string &appearance)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : appearance + ' ') {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    std::string font;
    for (size_t i = 2; i < words.size(); ++i)
        if (words[i] == "Tf" && words[i - 2].front() == '/')
            font = words[i - 2];
    return font;
}

std::vector<DrawnAppearance> MakeFieldAppearances(QPDF &source)
{
    std::vector<DrawnAppearance> made;
    QPDFObjectHandle need = ValueOf(source.getRoot().getKey("/AcroForm"), "/NeedAppearances");
    if (!need.isBool() || !need.getBoolValue())
        return made;
    QPDFAcroFormDocumentHelper form(source);
    // qpdf draws the text of text and choice fields, into the appearance they have or a new one.
    std::vector<QPDFAnnotationObjectHelper> drawn;
    for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(source).getAllPages())
        for (QPDFAnnotationObjectHelper widget : form.getWidgetAnnotationsForPage(page))
            if (form.getFieldForAnnotation(widget).getFieldType() != "/Btn")
                drawn.push_back(widget);
    form.generateAppearancesIfNeeded();
    std::map<QPDFObjGen, QPDFObjectHandle> settled; // an appearance two widgets share, once
    for (QPDFAnnotationObjectHelper widget : drawn) {
        QPDFObjectHandle look = widget.getAppearanceStream("/N");
        if (!look.isStream())
            continue;
        auto [at, added] = settled.try_emplace(look.getObjGen());
        if (added) {
            try {
                at->second = Settled(source, look, Decoration(widget.getObjectHandle(), look));
                made.push_back(
                    {at->second, DefaultAppearanceFont(
                                     form.getFieldForAnnotation(widget).getDefaultAppearance())});
            } catch (const std::exception &) {
                // Data that cannot be decoded is left as it is, as the book copies it.
                at->second = look;
            }
        }
        ReplaceNormalAppearance(widget.getObjectHandle(), at->second);
    }
    return made;
}

} // namespace qf
