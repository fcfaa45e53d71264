#include "book/NameTree.h"

namespace qf {
namespace {

constexpr size_t kNamesPerLeaf = 64;

} // namespace

QPDFObjectHandle MakeNameTree(QPDF &book, const std::map<std::string, QPDFObjectHandle> &entries)
{
    const auto leaf = [](auto first, auto last) {
        QPDFObjectHandle names = QPDFObjectHandle::newArray();
        for (auto entry = first; entry != last; ++entry) {
            names.appendItem(QPDFObjectHandle::newUnicodeString(entry->first));
            names.appendItem(entry->second);
        }
        return names;
    };
    if (entries.size() <= kNamesPerLeaf)
        return book.makeIndirectObject(
            QPDFObjectHandle::newDictionary({{"/Names", leaf(entries.begin(), entries.end())}}));
    QPDFObjectHandle kids = QPDFObjectHandle::newArray();
    for (auto first = entries.begin(); first != entries.end();) {
        auto last = first;
        for (size_t n = 0; n < kNamesPerLeaf && last != entries.end(); ++n)
            ++last;
        const QPDFObjectHandle limits = QPDFObjectHandle::newArray(
            {QPDFObjectHandle::newUnicodeString(first->first),
             QPDFObjectHandle::newUnicodeString(std::prev(last)->first)});
        kids.appendItem(book.makeIndirectObject(
            QPDFObjectHandle::newDictionary({{"/Names", leaf(first, last)}, {"/Limits", limits}})));
        first = last;
    }
    return book.makeIndirectObject(QPDFObjectHandle::newDictionary({{"/Kids", kids}}));
}

} // namespace qf
