#pragma once

#include <qpdf/QPDF.hh>

#include <iterator>
#include <map>
#include <string>

namespace qf {

inline constexpr size_t kNamesPerLeaf = 64;

// A name tree of the book over entries sorted by their UTF-8 names, as qpdf orders them: leaves of
// a few dozen names under one root, made at once. (qpdf's own insertion compares names as text
// each time, which made a book with ten thousand names spend most of its time there.) Each leaf is
// made by leaf(first, last, limits), limits its first and last names, or null for a tree of one
// leaf, which is then the root.
template <typename Iterator, typename Leaf>
QPDFObjectHandle NameTreeOf(QPDF &book, Iterator begin, Iterator end, Leaf leaf)
{
    if (size_t(std::distance(begin, end)) <= kNamesPerLeaf)
        return leaf(begin, end, QPDFObjectHandle::newNull());
    QPDFObjectHandle kids = QPDFObjectHandle::newArray();
    for (Iterator first = begin; first != end;) {
        Iterator last = first;
        for (size_t n = 0; n < kNamesPerLeaf && last != end; ++n)
            ++last;
        kids.appendItem(
            leaf(first, last,
                 QPDFObjectHandle::newArray(
                     {QPDFObjectHandle::newUnicodeString(std::string(first->first)),
                      QPDFObjectHandle::newUnicodeString(std::string(std::prev(last)->first))})));
        first = last;
    }
    return book.makeIndirectObject(QPDFObjectHandle::newDictionary({{"/Kids", kids}}));
}

// A name tree of the book holding entries.
QPDFObjectHandle MakeNameTree(QPDF &book, const std::map<std::string, QPDFObjectHandle> &entries);

} // namespace qf
