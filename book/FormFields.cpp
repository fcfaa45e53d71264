#include "book/FormFields.h"

namespace qf {
namespace {

constexpr int kMaxFieldDepth = 50;

bool IsPageTree(QPDFObjectHandle object)
{
    return object.isPageObject() || object.isPagesObject();
}

// Whether qpdf can give the page's annotations copies of their own: its copier hands back an empty
// handle for a part of the page tree, which a field or annotation of a damaged file may be.
bool CopyableAnnotations(QPDFObjectHandle annotations)
{
    for (QPDFObjectHandle annotation : annotations.aitems()) {
        QPDFObjectHandle field = annotation;
        for (int depth = 0; !field.isNull(); ++depth, field = field.getKey("/Parent"))
            if (depth > kMaxFieldDepth || !field.isDictionary() || IsPageTree(field))
                return false;
    }
    return true;
}

} // namespace

void FormFields::Add(QPDF &book, const SourceInBook &source, ReplacedObjects &replaced)
{
    QPDFObjectHandle fields = ValueOf(source.source.getRoot().getKey("/AcroForm"), "/Fields");
    if (!fields.isArray() || fields.getArrayNItems() == 0 ||
        IsPageTree(source.source.getRoot().getKey("/AcroForm").getKey("/DR")))
        return;
    if (!form_)
        form_ = std::make_unique<QPDFAcroFormDocumentHelper>(book);
    QPDFAcroFormDocumentHelper from(source.source);
    const std::vector<QPDFObjectHandle> &sourcePages = source.source.getAllPages();
    for (size_t i = 0; i < source.bookPages.size() && i < sourcePages.size(); ++i) {
        QPDFObjectHandle page = source.bookPages[i];
        QPDFObjectHandle before = page.getKey("/Annots");
        if (!before.isArray() ||
            !CopyableAnnotations(QPDFObjectHandle(sourcePages[i]).getKey("/Annots")))
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
