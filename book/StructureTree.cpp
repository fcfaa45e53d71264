#include "book/StructureTree.h"

#include "book/NameTree.h"
#include "book/StructureWalk.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>

#include <vector>

namespace qf {

void StructureTree::MergeMap(QPDF &book, const SourceInBook &source, const char *key,
                             std::map<std::string, std::string> &renamed)
{
    QPDFObjectHandle from = ValueOf(source.source.getRoot().getKey("/StructTreeRoot"), key);
    if (!from.isDictionary())
        return;
    QPDFObjectHandle &to = std::string(key) == "/RoleMap" ? roles_ : classes_;
    std::set<std::string> taken;
    for (const std::string &name : to.getKeys())
        taken.insert(name);
    for (auto &[name, value] : from.ditems()) {
        QPDFObjectHandle copy = Import(book, source, value);
        if (!to.hasKey(name)) {
            to.replaceKey(name, copy);
        } else if (to.getKey(name).unparse() != copy.unparse()) {
            // The same name meaning another thing: this source's elements say it another way.
            const std::string other = UnusedName(name, taken);
            taken.insert(other);
            to.replaceKey(other, copy);
            renamed[name] = other;
        }
    }
}

QPDFObjectHandle StructureTree::CopyUnderPart(QPDF &book, const SourceInBook &source,
                                              QPDFObjectHandle sourceRoot)
{
    // The copier takes the tree in one piece and points its /P links at the part's copy.
    QPDFObjectHandle part = MakePart(source.source, sourceRoot, source.name.toStdString());
    if (QPDFObjectHandle language = part.getKey("/Lang");
        language.isString() && !language_.isInitialized())
        language_ = language.shallowCopy();
    QPDFObjectHandle copy = book.copyForeignObject(part);
    copy.replaceKey("/P", root_);
    parts_.appendItem(copy);
    return copy;
}

void StructureTree::RenameElements(QPDF &book, const SourceInBook &source, QPDFObjectHandle part,
                                   const ReplacedObjects &replaced)
{
    std::map<std::string, std::string> roles, classes;
    MergeMap(book, source, "/RoleMap", roles);
    MergeMap(book, source, "/ClassMap", classes);
    for (QPDFObjectHandle element : StructureElements(part)) {
        RenameRoleAndClass(element, roles, classes);
        // An annotation the form copied again is the one on the page now.
        QPDFObjectHandle object = element.getKey("/Obj");
        if (element.getKey("/Type").isNameAndEquals("/OBJR") && object.isIndirect() &&
            replaced.count(object.getObjGen()))
            element.replaceKey("/Obj", replaced.at(object.getObjGen()));
    }
}

void StructureTree::AddIds(QPDF &book, const SourceInBook &source, QPDFObjectHandle sourceRoot)
{
    QPDFObjectHandle ids = sourceRoot.getKey("/IDTree");
    if (!ids.isDictionary())
        return;
    for (auto &[id, element] : QPDFNameTreeObjectHelper(ids, source.source)) {
        QPDFObjectHandle inBook = Import(book, source, element);
        std::string key = id;
        if (ids_.count(key)) {
            key = PrefixedName(source, id);
            if (inBook.isDictionary())
                inBook.replaceKey("/ID", QPDFObjectHandle::newString(key));
        }
        ids_[key] = inBook;
    }
}

void StructureTree::MoveParentKeys(QPDF &book, const SourceInBook &source,
                                   QPDFObjectHandle sourceRoot, const ReplacedObjects &replaced,
                                   std::set<QPDFObjGen> &seen)
{
    const long long offset = nextKey_;
    long long next = offset;
    QPDFObjectHandle parentTree = sourceRoot.getKey("/ParentTree");
    if (parentTree.isDictionary())
        for (auto &[key, value] : QPDFNumberTreeObjectHelper(parentTree, source.source)) {
            if (key < 0)
                continue;
            QPDFObjectHandle inBook = Import(book, source, value);
            if (inBook.isIndirect() && replaced.count(inBook.getObjGen()))
                inBook = replaced.at(inBook.getObjGen());
            parents_[offset + key] = inBook;
            next = std::max(next, offset + key + 1);
        }
    QPDFObjectHandle declared = sourceRoot.getKey("/ParentTreeNextKey");
    if (declared.isInteger() && declared.getIntValue() > 0)
        next = std::max(next, offset + declared.getIntValue());
    for (const QPDFObjectHandle &page : source.bookPages)
        ForEachKeyHolder(page, seen, [&](QPDFObjectHandle holder) {
            for (const char *key : kParentKeys) {
                QPDFObjectHandle value = holder.getKey(key);
                if (value.isInteger() && parents_.count(offset + value.getIntValue()))
                    holder.replaceKey(key,
                                      QPDFObjectHandle::newInteger(offset + value.getIntValue()));
                else
                    holder.removeKey(key); // it pointed into nothing in its source too
            }
        });
    nextKey_ = next;
}

void StructureTree::Add(QPDF &book, const SourceInBook &source, const ReplacedObjects &replaced)
{
    QPDFObjectHandle catalog = source.source.getRoot();
    QPDFObjectHandle sourceRoot = catalog.getKey("/StructTreeRoot");
    std::set<QPDFObjGen> seen;
    if (!sourceRoot.isDictionary()) {
        // A page whose tags were dropped keeps its key; only then are its objects looked at.
        for (QPDFObjectHandle page : source.bookPages)
            if (page.hasKey("/StructParents"))
                ForEachKeyHolder(page, seen, [](QPDFObjectHandle holder) {
                    for (const char *key : kParentKeys)
                        holder.removeKey(key);
                });
        return;
    }
    if (!root_.isInitialized())
        root_ = book.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /StructTreeRoot >>"));
    QPDFObjectHandle marked = ValueOf(catalog.getKey("/MarkInfo"), "/Marked");
    marked_ |= marked.isBool() && marked.getBoolValue();
    RenameElements(book, source, CopyUnderPart(book, source, sourceRoot), replaced);
    AddIds(book, source, sourceRoot);
    MoveParentKeys(book, source, sourceRoot, replaced, seen);
}

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
