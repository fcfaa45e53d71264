#include "book/NameTree.h"

namespace qf {

QPDFObjectHandle MakeNameTree(QPDF &book, const std::map<std::string, QPDFObjectHandle> &entries)
{
    return NameTreeOf(
        book, entries.begin(), entries.end(), [&](auto first, auto last, QPDFObjectHandle limits) {
            QPDFObjectHandle names = QPDFObjectHandle::newArray();
            for (auto entry = first; entry != last; ++entry) {
                names.appendItem(QPDFObjectHandle::newUnicodeString(entry->first));
                names.appendItem(entry->second);
            }
            QPDFObjectHandle leaf = QPDFObjectHandle::newDictionary({{"/Names", names}});
            if (!limits.isNull())
                leaf.replaceKey("/Limits", limits);
            return book.makeIndirectObject(leaf);
        });
}

} // namespace qf
