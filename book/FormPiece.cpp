#include "book/FormPiece.h"

#include "book/FieldAppearances.h"
#include "book/Import.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <cstring>

namespace qf {
namespace {

constexpr int kMaxFieldDepth = 50;
constexpr size_t kMaxFieldNodes = 1'000'000;
constexpr int kMaxFontDepth = 8;

bool IsPageTree(QPDFObjectHandle object)
{
    return object.isPageObject() || object.isPagesObject();
}

std::string TextOf(QPDFObjectHandle value)
{
    return value.isString() ? value.getUTF8Value() : std::string();
}

// A font as read, its objects looked into, so that two sources' plain Helvetica are found the
// same; false for one that holds a stream (an embedded font), which is never taken for another's.
bool FontText(QPDFObjectHandle value, std::string &out, int depth = 0)
{
    if (depth > kMaxFontDepth || value.isStream())
        return false;
    if (value.isArray()) {
        out += '[';
        for (QPDFObjectHandle item : value.aitems())
            if (!FontText(item, out, depth + 1))
                return false;
        out += ']';
    } else if (value.isDictionary()) {
        out += "<<";
        for (auto &[key, item] : value.ditems()) {
            out += key + ' ';
            if (!FontText(item, out, depth + 1))
                return false;
        }
        out += ">>";
    } else {
        out += value.unparse() + ' ';
    }
    return true;
}

bool IsNameCharacter(char c)
{
    return c > ' ' && !std::strchr("()<>[]{}/%", c);
}

} // namespace

void FormPiece::Prepare(QPDF &source, const std::vector<QPDFObjectHandle> &pages,
                        std::vector<QPDFObjectHandle> &reach)
{
    QPDFObjectHandle root = source.getRoot();
    QPDFObjectHandle scripts = ValueOf(root.getKey("/Names"), "/JavaScript");
    if (scripts.isDictionary())
        for (auto &[name, action] : QPDFNameTreeObjectHelper(scripts, source))
            if (action.isDictionary() && !action.isStream()) {
                scripts_[name] = action;
                ObjectsIn(action, reach);
            }
    QPDFObjectHandle form = root.getKey("/AcroForm");
    QPDFObjectHandle fields = ValueOf(form, "/Fields"), order = ValueOf(form, "/CO");
    // A calculation order over fields the form does not list is kept as the source has it.
    if ((!fields.isArray() || fields.getArrayNItems() == 0) &&
        (!order.isArray() || order.getArrayNItems() == 0))
        return;
    MakeFieldAppearances(source);
    appearance_ = TextOf(ValueOf(form, "/DA"));
    if (fields.isArray())
        for (QPDFObjectHandle field : fields.aitems())
            if (field.isDictionary() && !field.isStream() && !IsPageTree(field)) {
                fields_.push_back(field);
                ObjectsIn(field, reach);
                if (field.isIndirect())
                    tops_.insert(field.getObjGen());
            }
    if (order.isArray())
        for (QPDFObjectHandle field : order.aitems())
            if (field.isIndirect() && field.isDictionary() && !IsPageTree(field)) {
                calculationOrder_.push_back(field);
                reach.push_back(field);
            }
    if (QPDFObjectHandle resources = ValueOf(form, "/DR");
        resources.isDictionary() && !IsPageTree(resources)) {
        if (QPDFObjectHandle fonts = resources.getKey("/Font"); fonts.isDictionary())
            for (auto &[name, font] : fonts.ditems()) {
                if (!font.isDictionary())
                    continue;
                fonts_[name] = font;
                std::string text;
                fontText_[name] = FontText(font, text) ? text : std::string();
                ObjectsIn(font, reach);
            }
        resources_ = resources.shallowCopy();
        resources_.removeKey("/Font");
        ObjectsIn(resources_, reach);
    }
    // Every field and widget that says its own appearance, and the top-level fields that rely on
    // the form's.
    std::vector<std::pair<QPDFObjectHandle, int>> pending;
    for (QPDFObjectHandle field : fields_) {
        pending.emplace_back(field, 0);
        if (!field.hasKey("/DA") && field.isIndirect() && !appearance_.empty())
            relying_.insert(field.getObjGen());
    }
    for (QPDFObjectHandle page : pages)
        if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
            for (QPDFObjectHandle annotation : annotations.aitems())
                pending.emplace_back(annotation, kMaxFieldDepth);
    std::set<QPDFObjGen> seen;
    for (size_t visited = 0; !pending.empty() && visited < kMaxFieldNodes; ++visited) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (!node.isIndirect() || !node.isDictionary() || node.isStream() || IsPageTree(node) ||
            !seen.insert(node.getObjGen()).second)
            continue;
        if (QPDFObjectHandle own = node.getKey("/DA"); own.isString())
            appearances_[node.getObjGen()] = own.getUTF8Value();
        if (depth < kMaxFieldDepth)
            for (QPDFObjectHandle kid : ValueOf(node, "/Kids").aitems())
                pending.emplace_back(kid, depth + 1);
    }
}

void FormPiece::Number(FormTurn &turn)
{
    std::set<std::string> own;
    for (QPDFObjectHandle field : fields_)
        if (field.getKey("/T").isString())
            own.insert(field.getKey("/T").getUTF8Value());
    for (const std::string &name : own)
        for (int n = 1; turn.fieldNames.count(name); ++n)
            if (const std::string other = name + "+" + std::to_string(n);
                !turn.fieldNames.count(other) && !own.count(other)) {
                newNames_[name] = other;
                break;
            }
    for (const std::string &name : own)
        if (const std::string taken = newNames_.count(name) ? newNames_[name] : name;
            turn.fieldNames.insert(taken).second)
            takenNames_.push_back(taken);
    for (const auto &[name, text] : fontText_) {
        const auto [known, added] = turn.fonts.try_emplace(name, text);
        if (added)
            takenFonts_.push_back(name);
        if (added || (!text.empty() && known->second == text))
            continue;
        for (int n = 1;; ++n)
            if (const std::string other = name + "_" + std::to_string(n);
                !turn.fonts.count(other) && !fonts_.count(other)) {
                newFonts_[name] = other;
                turn.fonts.emplace(other, text);
                takenFonts_.push_back(other);
                break;
            }
    }
}

void FormPiece::Withdraw(FormTurn &turn) const
{
    for (const std::string &name : takenNames_)
        turn.fieldNames.erase(name);
    for (const std::string &name : takenFonts_)
        turn.fonts.erase(name);
}

std::string FormPiece::Renamed(const std::string &appearance) const
{
    if (newFonts_.empty())
        return appearance;
    std::string out;
    for (size_t i = 0; i < appearance.size();) {
        if (appearance[i] != '/') {
            out += appearance[i++];
            continue;
        }
        size_t end = i + 1;
        while (end < appearance.size() && IsNameCharacter(appearance[end]))
            ++end;
        const std::string name = appearance.substr(i, end - i);
        const auto renamed = newFonts_.find(name);
        out += renamed == newFonts_.end() ? name : renamed->second;
        i = end;
    }
    return out;
}

QPDFObjectHandle FormPiece::For(QPDFObjectHandle object, QPDFObjectHandle written) const
{
    if (fields_.empty() || !object.isIndirect())
        return written;
    const QPDFObjGen id = object.getObjGen();
    std::string name;
    if (!newNames_.empty() && tops_.count(id))
        if (QPDFObjectHandle title = object.getKey("/T"); title.isString())
            if (const auto renamed = newNames_.find(title.getUTF8Value());
                renamed != newNames_.end())
                name = renamed->second;
    std::string appearance;
    if (const auto own = appearances_.find(id); own != appearances_.end()) {
        if (const std::string renamed = Renamed(own->second); renamed != own->second)
            appearance = renamed;
    } else if (relying_.count(id)) {
        appearance = Renamed(appearance_);
    }
    if (name.empty() && appearance.empty())
        return written;
    QPDFObjectHandle copy =
        written.isIndirect() && written.getObjGen() == id ? object.shallowCopy() : written;
    if (!name.empty())
        copy.replaceKey("/T", QPDFObjectHandle::newUnicodeString(name));
    if (!appearance.empty())
        copy.replaceKey("/DA", QPDFObjectHandle::newUnicodeString(appearance));
    return copy;
}

PieceForm FormPiece::Summary(const NumberOf &number) const
{
    PieceForm form;
    for (QPDFObjectHandle field : fields_)
        form.fields.push_back(Detached(field, number));
    for (QPDFObjectHandle field : calculationOrder_)
        form.calculationOrder.push_back(Detached(field, number));
    for (const auto &[name, font] : fonts_) {
        const auto renamed = newFonts_.find(name);
        form.fonts[renamed == newFonts_.end() ? name : renamed->second] = Detached(font, number);
    }
    if (QPDFObjectHandle resources = resources_;
        resources.isDictionary() && !resources.getKeys().empty())
        form.resources = Detached(resources, number);
    form.appearance = Renamed(appearance_);
    for (const auto &[name, action] : scripts_)
        form.scripts[name] = Detached(action, number);
    return form;
}

} // namespace qf
