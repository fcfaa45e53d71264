#include "book/StructureTree.h"

#include "book/NameTree.h"
#include "book/StructureWalk.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>

#include <vector>

namespace qf {

void StructureTree::AddPiece(QPDF &book, const PieceStructure &piece,
                             const std::function<QPDFObjectHandle(int)> &written,
                             const std::function<void(QPDFObjectHandle, int)> &writeAs)
{
    if (!root_.isInitialized())
        root_ = book.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /StructTreeRoot >>"));
    if (!rootNumbered_) {
        writeAs(root_, piece.root);
        rootNumbered_ = true;
    }
    marked_ |= piece.marked;
    if (!piece.language.empty() && !language_.isInitialized())
        language_ = QPDFObjectHandle::parse(piece.language);
    parts_.appendItem(written(piece.part));
    for (const auto &[name, value] : piece.roles)
        roles_.replaceKey(name, QPDFObjectHandle::parse(value));
    for (const auto &[name, value] : piece.classes)
        classes_.replaceKey(name, QPDFObjectHandle::parse(value));
    const auto element = [&](int number) {
        return number > 0 ? written(number) : QPDFObjectHandle::newNull();
    };
    for (const auto &[key, parent] : piece.parents) {
        if (parent.object > 0) {
            parents_[key] = written(parent.object);
            continue;
        }
        QPDFObjectHandle value = QPDFObjectHandle::newArray();
        for (const int number : parent.elements)
            value.appendItem(element(number));
        parents_[key] = parent.array              ? value
                        : parent.elements.empty() ? QPDFObjectHandle::newNull()
                                                  : element(parent.elements.front());
    }
    for (const auto &[id, number] : piece.ids)
        ids_[id] = element(number);
    nextKey_ = std::max(nextKey_, piece.nextKey);
}

void StructureTree::Finish(QPDF &book)
{
    if (!root_.isInitialized())
        return;
    root_.replaceKey("/K", parts_);
    auto parents = QPDFNumberTreeObjectHelper::newEmpty(book);
    for (auto &[key, value] : parents_)
        parents.insert(key, value);
    root_.replaceKey("/ParentTree", parents.getObjectHandle());
    root_.replaceKey("/ParentTreeNextKey", QPDFObjectHandle::newInteger(nextKey_));
    if (!roles_.getKeys().empty())
        root_.replaceKey("/RoleMap", roles_);
    if (!classes_.getKeys().empty())
        root_.replaceKey("/ClassMap", classes_);
    if (!ids_.empty()) {
        root_.replaceKey("/IDTree", MakeNameTree(book, ids_));
    }
    QPDFObjectHandle catalog = book.getRoot();
    catalog.replaceKey("/StructTreeRoot", root_);
    if (marked_)
        catalog.replaceKey("/MarkInfo", QPDFObjectHandle::parse("<< /Marked true >>"));
    if (language_.isInitialized())
        catalog.replaceKey("/Lang", language_);
}

} // namespace qf
