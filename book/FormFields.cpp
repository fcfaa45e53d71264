#include "book/FormFields.h"

#include "book/FieldAppearances.h"
#include "book/NameTree.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <set>

namespace qf {
namespace {

constexpr int kMaxFieldDepth = 50;
constexpr size_t kMaxFieldNodes = 100000;

bool IsPageTree(QPDFObjectHandle object)
{
    return object.isPageObject() || object.isPagesObject();
}

// Whether the field tree qpdf copies with an annotation (from its top field down through every
// /Kids) stays clear of the page tree. qpdf's copier hands back an empty handle for a part of the
// page tree, and a damaged file's field may be one, or list pages among its kids; the empty handle
// would then be stored as a copied field's /Parent. A tree found clear is not walked again.
bool FieldTreeClearOfPages(QPDFObjectHandle field, std::set<QPDFObjGen> &clearTops)
{
    QPDFObjectHandle top = field;
    for (int depth = 0; !field.isNull(); ++depth, field = field.getKey("/Parent")) {
        if (depth > kMaxFieldDepth || !field.isDictionary() || IsPageTree(field))
            return false;
        top = field;
    }
    if (top.isIndirect() && clearTops.count(top.getObjGen()))
        return true;
    std::vector<QPDFObjectHandle> pending{top};
    std::set<QPDFObjGen> seen;
    for (size_t visited = 0; !pending.empty(); ++visited) {
        QPDFObjectHandle node = pending.back();
        pending.pop_back();
        if (visited > kMaxFieldNodes || IsPageTree(node))
            return false;
        if (!node.isDictionary() || (node.isIndirect() && !seen.insert(node.getObjGen()).second))
            continue;
        for (QPDFObjectHandle kid : ValueOf(node, "/Kids").aitems())
            pending.push_back(kid);
    }
    if (top.isIndirect())
        clearTops.insert(top.getObjGen());
    return true;
}

// Whether qpdf can give the page's annotations, and the fields they belong to, copies of their own.
bool CopyableAnnotations(QPDFObjectHandle annotations, QPDFAcroFormDocumentHelper &form)
{
    std::set<QPDFObjGen> clearTops;
    for (QPDFObjectHandle annotation : annotations.aitems()) {
        if (!FieldTreeClearOfPages(annotation, clearTops))
            return false;
        QPDFFormFieldObjectHelper field = form.getFieldForAnnotation(annotation);
        if (!field.isNull() && !FieldTreeClearOfPages(field.getObjectHandle(), clearTops))
            return false;
    }
    return true;
}

} // namespace

void FormFields::Add(QPDF &book, const SourceInBook &source, ReplacedObjects &replaced)
{
    QPDFObjectHandle scripts = ValueOf(source.source.getRoot().getKey("/Names"), "/JavaScript");
    if (scripts.isDictionary())
        for (auto &[name, action] : QPDFNameTreeObjectHelper(scripts, source.source))
            if (action.isDictionary() && !action.isStream())
                scripts_[PrefixedName(source, name)] = Import(book, source, action);
    QPDFObjectHandle fields = ValueOf(source.source.getRoot().getKey("/AcroForm"), "/Fields");
    if (!fields.isArray() || fields.getArrayNItems() == 0 ||
        IsPageTree(ValueOf(source.source.getRoot().getKey("/AcroForm"), "/DR")))
        return;
    if (!form_)
        form_ = std::make_unique<QPDFAcroFormDocumentHelper>(book);
    MakeFieldAppearances(source.source);
    QPDFAcroFormDocumentHelper from(source.source);
    const std::vector<QPDFObjectHandle> &sourcePages = source.source.getAllPages();
    for (size_t i = 0; i < source.bookPages.size() && i < sourcePages.size(); ++i) {
        QPDFObjectHandle page = source.bookPages[i];
        QPDFObjectHandle before = page.getKey("/Annots");
        if (!before.isArray() ||
            !CopyableAnnotations(QPDFObjectHandle(sourcePages[i]).getKey("/Annots"), from))
            continue;
        const std::vector<QPDFObjectHandle> firstCopies = before.getArrayAsVector();
        form_->fixCopiedAnnotations(page, sourcePages[i], from);
        const std::vector<QPDFObjectHandle> now = page.getKey("/Annots").getArrayAsVector();
        // The copy keeps the order; an annotation that is a stream is left out of it.
        std::vector<QPDFObjectHandle> kept;
        for (QPDFObjectHandle annotation : firstCopies)
            if (!annotation.isStream())
                kept.push_back(annotation);
        if (kept.size() == now.size())
            for (size_t k = 0; k < kept.size(); ++k)
                if (kept[k].isIndirect())
                    replaced[kept[k].getObjGen()] = now[k];
    }
}

void FormFields::AddWritten(const QString &name, const PieceForm &form,
                            const std::function<QPDFObjectHandle(int number)> &written)
{
    for (QPDFObjectHandle field : form.fields)
        fields_.push_back(Attached(field, written));
    for (QPDFObjectHandle field : form.calculationOrder)
        calculationOrder_.push_back(Attached(field, written));
    // A font the book has under the name is the same font: the source found it so in its turn.
    for (const auto &[font, value] : form.fonts)
        if (!fonts_.count(font))
            fonts_[font] = Attached(value, written);
    if (QPDFObjectHandle resources = form.resources; resources.isDictionary())
        for (auto &[kind, value] : Attached(resources, written).ditems()) {
            QPDFObjectHandle held = resources_.getKey(kind);
            if (!held.isDictionary() || !value.isDictionary()) {
                if (held.isNull())
                    resources_.replaceKey(kind, value);
                continue;
            }
            for (auto &[key, item] : value.ditems())
                if (!held.hasKey(key))
                    held.replaceKey(key, item);
        }
    if (appearance_.empty())
        appearance_ = form.appearance;
    for (const auto &[script, action] : form.scripts)
        scripts_[name.toStdString() + "/" + script] = Attached(action, written);
}

void FormFields::Finish(QPDF &book)
{
    QPDFObjectHandle root = book.getRoot();
    if (!scripts_.empty()) {
        if (!root.getKey("/Names").isDictionary())
            root.replaceKey("/Names", QPDFObjectHandle::newDictionary());
        root.getKey("/Names").replaceKey("/JavaScript", MakeNameTree(book, scripts_));
    }
    if (fields_.empty() && calculationOrder_.empty())
        return;
    // Sources copied whole made the form already.
    QPDFObjectHandle form = root.getKey("/AcroForm");
    if (!form.isDictionary()) {
        form = book.makeIndirectObject(QPDFObjectHandle::newDictionary());
        root.replaceKey("/AcroForm", form);
    }
    const auto list = [&](const std::string &key, const std::vector<QPDFObjectHandle> &items) {
        if (items.empty())
            return;
        if (!form.getKey(key).isArray())
            form.replaceKey(key, QPDFObjectHandle::newArray());
        for (QPDFObjectHandle item : items)
            form.getKey(key).appendItem(item);
    };
    list("/Fields", fields_);
    list("/CO", calculationOrder_);
    if (!form.getKey("/DA").isString() && !appearance_.empty())
        form.replaceKey("/DA", QPDFObjectHandle::newUnicodeString(appearance_));
    if (!form.getKey("/DR").isDictionary())
        form.replaceKey("/DR", QPDFObjectHandle::newDictionary());
    QPDFObjectHandle resources = form.getKey("/DR");
    if (!fonts_.empty() && !resources.getKey("/Font").isDictionary())
        resources.replaceKey("/Font", QPDFObjectHandle::newDictionary());
    for (const auto &[name, font] : fonts_)
        if (!resources.getKey("/Font").hasKey(name))
            resources.getKey("/Font").replaceKey(name, font);
    for (auto &[kind, value] : resources_.ditems())
        if (!resources.hasKey(kind))
            resources.replaceKey(kind, value);
}

} // namespace qf
