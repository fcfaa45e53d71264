#include "book/FieldAppearances.h"

#include "book/Import.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <set>
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

// The background and border widget asks for, drawn under what appearance shows.
void Decorate(QPDFObjectHandle widget, QPDFObjectHandle appearance)
{
    QPDFObjectHandle looks = widget.getKey("/MK"), box = appearance.getDict().getKey("/BBox");
    if (!looks.isDictionary() || !box.isRectangle())
        return;
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
    if (under.empty())
        return;
    std::shared_ptr<Buffer> drawn = appearance.getStreamData(qpdf_dl_all);
    under.append(reinterpret_cast<const char *>(drawn->getBuffer()), drawn->getSize());
    appearance.replaceStreamData(under, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
}

} // namespace

void MakeFieldAppearances(QPDF &source)
{
    QPDFObjectHandle need = ValueOf(source.getRoot().getKey("/AcroForm"), "/NeedAppearances");
    if (!need.isBool() || !need.getBoolValue())
        return;
    QPDFAcroFormDocumentHelper form(source);
    // qpdf draws the text of text and choice fields, into the appearance they have or a new one.
    std::vector<QPDFAnnotationObjectHelper> drawn;
    for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(source).getAllPages())
        for (QPDFAnnotationObjectHelper widget : form.getWidgetAnnotationsForPage(page))
            if (form.getFieldForAnnotation(widget).getFieldType() != "/Btn")
                drawn.push_back(widget);
    form.generateAppearancesIfNeeded();
    std::set<QPDFObjGen> decorated; // an appearance two widgets share is decorated once
    for (QPDFAnnotationObjectHelper widget : drawn)
        if (QPDFObjectHandle look = widget.getAppearanceStream("/N");
            look.isStream() && decorated.insert(look.getObjGen()).second)
            Decorate(widget.getObjectHandle(), look);
}

} // namespace qf
