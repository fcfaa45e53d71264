#include "book/FormFields.h"

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
    QPDFObjectHandle fields = ValueOf(source.source.getRoot().getKey("/AcroForm"), "/Fields");
    if (!fields.isArray() || fields.getArrayNItems() == 0 ||
        IsPageTree(ValueOf(source.source.getRoot().getKey("/AcroForm"), "/DR")))
        return;
    if (!form_)
        form_ = std::make_unique<QPDFAcroFormDocumentHelper>(book);
    QPDFAcroFormDocumentHelper from(source.source);
    // A source that asks viewers to draw its fields anew gets their appearances made here, so the
    // book need not ask it of every source's fields, redrawing those drawn as their authors meant.
    from.generateAppearancesIfNeeded();
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

} // namespace qf
