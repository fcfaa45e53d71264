#include "book/FilingCopy.h"

#include "book/FieldAppearances.h"
#include "book/Import.h"
#include "book/PageContent.h"
#include "text/EmbeddedFont.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QUtil.hh>

#include <QCoreApplication>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace qf {
namespace {

// Takes what portals refuse out of an action's chain; whether the action itself is refused.
bool DropRefused(QPDFObjectHandle action, FilingChanges &changes, int depth = 0)
{
    if (!action.isDictionary() || depth > 32)
        return false;
    ActiveContent kind{};
    switch (RefusedAction(action, &kind)) {
    case Refused::Script:
        changes.scriptsRemoved = true;
        return true;
    case Refused::Active:
        changes.activeRemoved.insert(kind);
        return true;
    case Refused::Nothing:
        break;
    }
    QPDFObjectHandle next = action.getKey("/Next");
    if (next.isArray()) {
        std::vector<QPDFObjectHandle> kept;
        for (QPDFObjectHandle item : next.aitems())
            if (!DropRefused(item, changes, depth + 1))
                kept.push_back(item);
        if (kept.empty())
            action.removeKey("/Next");
        else if (int(kept.size()) != next.getArrayNItems())
            action.replaceKey("/Next", QPDFObjectHandle::newArray(kept));
    } else if (DropRefused(next, changes, depth + 1)) {
        action.removeKey("/Next");
    }
    return false;
}

// Takes the refused actions out of the holder's action (/A, /OpenAction) and its events (/AA).
void DropRefusedOf(QPDFObjectHandle holder, const char *actionKey, FilingChanges &changes)
{
    if (actionKey && DropRefused(holder.getKey(actionKey), changes))
        holder.removeKey(actionKey);
    QPDFObjectHandle events = holder.getKey("/AA");
    if (!events.isDictionary())
        return;
    std::vector<std::string> refused;
    for (const auto &[event, action] : events.ditems())
        if (DropRefused(action, changes))
            refused.push_back(event);
    for (const std::string &event : refused)
        events.removeKey(event);
    if (events.getKeys().empty())
        holder.removeKey("/AA");
}

// A widget's field: itself when it names one, else its parent.
QPDFObjectHandle FieldOf(QPDFObjectHandle widget)
{
    QPDFObjectHandle parent = widget.getKey("/Parent");
    return widget.hasKey("/T") || !parent.isDictionary() ? widget : parent;
}

// Draws the page's widgets into it and takes them off; how many there were.
int FlattenWidgets(QPDF &source, QPDFObjectHandle page, int &names)
{
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray())
        return 0;
    QPDFObjectHandle rotate = page.getKey("/Rotate");
    std::string drawn;
    std::vector<QPDFObjectHandle> kept;
    int widgets = 0;
    for (QPDFObjectHandle annotation : annotations.aitems()) {
        if (!annotation.isDictionary() ||
            !annotation.getKey("/Subtype").isNameAndEquals("/Widget")) {
            kept.push_back(annotation);
            continue;
        }
        ++widgets;
        QPDFAnnotationObjectHelper widget(annotation);
        QPDFObjectHandle appearance = widget.getAppearanceStream("/N");
        if (!appearance.isStream())
            continue;
        const std::string name = "/QfField" + std::to_string(++names);
        const std::string content = widget.getPageContentForAppearance(
            name, rotate.isInteger() ? int(rotate.getIntValue()) : 0);
        if (content.empty())
            continue;
        PageForms(page).replaceKey(name, appearance);
        drawn += content;
    }
    if (widgets == 0)
        return 0;
    // The page's content between q and Q: what it leaves set reaches nothing drawn after it.
    if (!drawn.empty())
        PutContentBetween(page, QPDFObjectHandle::newStream(&source, "q\n"),
                          QPDFObjectHandle::newStream(&source, "\nQ\n" + drawn));
    page.replaceKey("/Annots", QPDFObjectHandle::newArray(kept));
    return widgets;
}

// The DejaVu face that stands in for a standard font's family and weight.
QString StandInPath(const std::string &baseFont)
{
    const bool bold = baseFont.find("Bold") != std::string::npos;
    const QString family = baseFont.rfind("/Times", 0) == 0     ? QStringLiteral("DejaVuSerif")
                           : baseFont.rfind("/Courier", 0) == 0 ? QStringLiteral("DejaVuSansMono")
                                                                : QStringLiteral("DejaVuSans");
    return QStringLiteral("/usr/share/fonts/truetype/dejavu/%1%2.ttf")
        .arg(family, bold ? QStringLiteral("-Bold") : QString());
}

// A string of a simple font's codes as the text it shows.
QString Decoded(const std::string &codes, QPDFObjectHandle font)
{
    QPDFObjectHandle encoding = font.getKey("/Encoding");
    if (encoding.isNameAndEquals("/MacRomanEncoding"))
        return QString::fromStdString(QUtil::mac_roman_to_utf8(codes));
    return QString::fromStdString(QUtil::win_ansi_to_utf8(codes));
}

// An appearance's content with the text set in one font shown in another instead; empty when
// the content cannot be rewritten (an inline image, damage).
class Reshown : public QPDFObjectHandle::ParserCallbacks {
public:
    Reshown(const std::string &fontName, QPDFObjectHandle font, EmbeddedFont &standIn)
        : fontName_(fontName), font_(font), standIn_(standIn)
    {}
    void handleObject(QPDFObjectHandle object) override
    {
        if (object.isInlineImage()) {
            failed_ = true;
            terminateParsing();
        }
        if (!object.isOperator()) {
            operands_.push_back(object);
            return;
        }
        const std::string op = object.getOperatorValue();
        if (op == "Tf" && !operands_.empty())
            inFont_ = operands_.front().isNameAndEquals(fontName_);
        const bool shows = op == "Tj" || op == "'" || op == "\"" || op == "TJ";
        for (QPDFObjectHandle operand : operands_) {
            if (shows && inFont_ && operand.isString())
                content_ += Show(operand);
            else if (shows && inFont_ && operand.isArray()) {
                content_ += '[';
                for (QPDFObjectHandle item : operand.aitems())
                    content_ += (item.isString() ? Show(item) : item.unparse()) + ' ';
                content_ += ']';
            } else {
                content_ += operand.unparse();
            }
            content_ += ' ';
        }
        content_ += op + '\n';
        operands_.clear();
    }
    void handleEOF() override {}
    std::string Content() const { return failed_ ? std::string() : content_; }

private:
    std::string Show(QPDFObjectHandle text)
    {
        return standIn_.Show(Decoded(text.getStringValue(), font_)).toStdString();
    }

    std::string fontName_;
    QPDFObjectHandle font_;
    EmbeddedFont &standIn_;
    std::vector<QPDFObjectHandle> operands_;
    std::string content_;
    bool inFont_ = false, failed_ = false;
};

// The stand-in fonts of one source, each opened once and embedded once all text is shown.
using StandIns = std::map<QString, std::unique_ptr<EmbeddedFont>>;

// Sets the text of an appearance drawn anew in an embedded font where its field's font is a
// standard one not embedded: readers would substitute one anyway, and portals refuse fonts
// that are not embedded.
void EmbedStandardFont(QPDF &source, DrawnAppearance drawn, StandIns &standIns)
{
    if (drawn.font.empty())
        return;
    QPDFObjectHandle dict = drawn.appearance.getDict();
    QPDFObjectHandle resources = dict.getKey("/Resources");
    QPDFObjectHandle font = ValueOf(ValueOf(resources, "/Font"), drawn.font);
    if (!font.isDictionary())
        font = ValueOf(ValueOf(ValueOf(source.getRoot().getKey("/AcroForm"), "/DR"), "/Font"),
                       drawn.font);
    if (!IsStandardTextFont(font))
        return;
    const QString path = StandInPath(font.getKey("/BaseFont").getName());
    std::unique_ptr<EmbeddedFont> &standIn = standIns[path];
    if (!standIn) {
        Status opened;
        standIn = EmbeddedFont::Open(path, opened);
        if (!standIn && !(standIn = EmbeddedFont::Open(kTextFontPath, opened)))
            return; // no stand-in: the field keeps its font, which the check names
    }
    Reshown reshown(drawn.font, font, *standIn);
    try {
        QPDFObjectHandle::parseContentStream(drawn.appearance, &reshown);
    } catch (const std::exception &) {
        return;
    }
    const std::string content = reshown.Content();
    if (content.empty())
        return;
    drawn.appearance.replaceStreamData(content, QPDFObjectHandle::newNull(),
                                       QPDFObjectHandle::newNull());
    // Resources may be shared with other appearances or the form: this one gets its own.
    QPDFObjectHandle own =
        resources.isDictionary() ? resources.shallowCopy() : QPDFObjectHandle::newDictionary();
    QPDFObjectHandle fonts = ValueOf(own, "/Font");
    fonts = fonts.isDictionary() ? fonts.shallowCopy() : QPDFObjectHandle::newDictionary();
    fonts.replaceKey(drawn.font, standIn->Reference(source));
    own.replaceKey("/Font", fonts);
    dict.replaceKey("/Resources", own);
}

// Widgets flattened, fields listed that have none on a page left aside.
void FlattenForm(QPDF &source, const std::vector<QPDFObjectHandle> &pages, FilingChanges &changes)
{
    QPDFObjectHandle root = source.getRoot();
    const bool hasForm = root.getKey("/AcroForm").isDictionary();
    StandIns standIns;
    if (hasForm)
        for (DrawnAppearance &drawn : MakeFieldAppearances(source))
            EmbedStandardFont(source, drawn, standIns);
    for (auto &[path, font] : standIns)
        if (font)
            (void)font->Embed(source); // a subset fails only when memory runs out
    changes.fieldsFlattened = FormFieldCount(source, pages);
    int names = 0;
    for (QPDFObjectHandle page : pages)
        FlattenWidgets(source, page, names);
    if (hasForm)
        root.removeKey("/AcroForm");
}

} // namespace

QString ActiveContentSaid(const std::set<ActiveContent> &kinds)
{
    QStringList said;
    for (const ActiveContent kind : kinds)
        switch (kind) {
        case ActiveContent::Launch:
            said.append(QCoreApplication::translate("Filing", "launch actions"));
            break;
        case ActiveContent::SubmitForm:
            said.append(QCoreApplication::translate("Filing", "form submissions"));
            break;
        case ActiveContent::ImportData:
            said.append(QCoreApplication::translate("Filing", "data imports"));
            break;
        case ActiveContent::RichMedia:
            said.append(QCoreApplication::translate("Filing", "rich media"));
            break;
        }
    return said.join(QStringLiteral(", "));
}

Refused RefusedAction(QPDFObjectHandle action, ActiveContent *kind)
{
    if (!action.isDictionary())
        return Refused::Nothing;
    QPDFObjectHandle type = action.getKey("/S");
    if (!type.isName())
        return Refused::Nothing;
    static const std::map<std::string, ActiveContent> active = {
        {"/Launch", ActiveContent::Launch},
        {"/SubmitForm", ActiveContent::SubmitForm},
        {"/ImportData", ActiveContent::ImportData},
        {"/RichMediaExecute", ActiveContent::RichMedia}};
    const std::string name = type.getName();
    if (name == "/JavaScript")
        return Refused::Script;
    const auto found = active.find(name);
    if (found == active.end())
        return Refused::Nothing;
    if (kind)
        *kind = found->second;
    return Refused::Active;
}

bool IsEmbedded(QPDFObjectHandle font)
{
    QPDFObjectHandle subtype = font.getKey("/Subtype");
    if (subtype.isNameAndEquals("/Type3"))
        return true; // its glyphs are drawn in the file
    QPDFObjectHandle described = font;
    if (subtype.isNameAndEquals("/Type0")) {
        QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
        described = descendants.isArray() ? descendants.getArrayItem(0) : QPDFObjectHandle();
    }
    QPDFObjectHandle descriptor =
        described.isDictionary() ? described.getKey("/FontDescriptor") : QPDFObjectHandle();
    if (!descriptor.isDictionary())
        return false;
    for (const char *key : {"/FontFile", "/FontFile2", "/FontFile3"})
        if (descriptor.getKey(key).isStream())
            return true;
    return false;
}

bool IsStandardTextFont(QPDFObjectHandle font)
{
    if (!font.isDictionary() || !font.getKey("/Subtype").isNameAndEquals("/Type1") ||
        IsEmbedded(font) || !font.getKey("/BaseFont").isName())
        return false;
    const std::string name = font.getKey("/BaseFont").getName();
    for (const char *family : {"/Helvetica", "/Times-", "/Courier"})
        if (name.rfind(family, 0) == 0)
            return true;
    return false;
}

int FormFieldCount(QPDF &source, const std::vector<QPDFObjectHandle> &pages)
{
    std::set<QPDFObjGen> fields;
    int direct = 0; // widgets that are no object of their own
    std::optional<QPDFAcroFormDocumentHelper> form;
    if (source.getRoot().getKey("/AcroForm").isDictionary()) {
        form.emplace(source);
        for (QPDFFormFieldObjectHelper field : form->getFormFields())
            fields.insert(field.getObjectHandle().getObjGen());
    }
    for (QPDFObjectHandle page : pages)
        if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
            for (QPDFObjectHandle annotation : annotations.aitems()) {
                if (!annotation.isDictionary() ||
                    !annotation.getKey("/Subtype").isNameAndEquals("/Widget"))
                    continue;
                // A widget of the form is counted as the form counts its field.
                QPDFFormFieldObjectHelper listed =
                    form ? form->getFieldForAnnotation(annotation) : QPDFFormFieldObjectHelper();
                QPDFObjectHandle field =
                    listed.isNull() ? FieldOf(annotation) : listed.getObjectHandle();
                if (field.isIndirect())
                    fields.insert(field.getObjGen());
                else
                    ++direct;
            }
    return int(fields.size()) + direct;
}

FilingChanges MakeFitForFiling(QPDF &source, const std::vector<QPDFObjectHandle> &pages)
{
    FilingChanges changes;
    QPDFObjectHandle root = source.getRoot();
    // The form, and widgets no form lists: drawn as a reader shows them now, then gone.
    FlattenForm(source, pages, changes);
    // Scripts and other active content, wherever they run.
    QPDFObjectHandle names = root.getKey("/Names");
    if (names.isDictionary() && names.hasKey("/JavaScript")) {
        names.removeKey("/JavaScript");
        changes.scriptsRemoved = true;
    }
    DropRefusedOf(root, "/OpenAction", changes);
    for (QPDFObjectHandle page : pages) {
        DropRefusedOf(page, nullptr, changes);
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        std::vector<QPDFObjectHandle> kept;
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            if (!annotation.isDictionary()) {
                kept.push_back(annotation);
                continue;
            }
            // Attached files go with the rest, rich media with the scripts that run it.
            if (annotation.getKey("/Subtype").isNameAndEquals("/FileAttachment")) {
                ++changes.filesRemoved;
                continue;
            }
            if (annotation.getKey("/Subtype").isNameAndEquals("/RichMedia")) {
                changes.activeRemoved.insert(ActiveContent::RichMedia);
                continue;
            }
            DropRefusedOf(annotation, "/A", changes); // a link keeps its place, doing nothing
            kept.push_back(annotation);
        }
        if (int(kept.size()) != annotations.getArrayNItems())
            page.replaceKey("/Annots", QPDFObjectHandle::newArray(kept));
    }
    // Attached files.
    if (names.isDictionary() && names.getKey("/EmbeddedFiles").isDictionary()) {
        QPDFNameTreeObjectHelper files(names.getKey("/EmbeddedFiles"), source);
        for (auto it = files.begin(); it != files.end(); ++it)
            ++changes.filesRemoved;
        names.removeKey("/EmbeddedFiles");
    }
    if (root.hasKey("/AF"))
        root.removeKey("/AF");
    return changes;
}

} // namespace qf
