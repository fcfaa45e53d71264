#include "book/StructureTree.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>

#include <vector>

namespace qf {
namespace {

constexpr const char *kParentKeys[] = {"/StructParents", "/StructParent"};

// Calls visit on each of a page's objects that may hold a key into the parent tree: the page, its
// annotations, and the XObjects its resources reach, each once.
template <typename Visit>
void ForEachKeyHolder(QPDFObjectHandle page, std::set<QPDFObjGen> &seen, Visit visit)
{
    visit(page);
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (annotations.isArray())
        for (QPDFObjectHandle annotation : annotations.aitems())
            if (annotation.isDictionary() &&
                (!annotation.isIndirect() || seen.insert(annotation.getObjGen()).second))
                visit(annotation);
    std::vector<QPDFObjectHandle> resources{page.getKey("/Resources")};
    while (!resources.empty()) {
        QPDFObjectHandle xobjects = ValueOf(resources.back(), "/XObject");
        resources.pop_back();
        if (!xobjects.isDictionary())
            continue;
        for (auto &[name, xobject] : xobjects.ditems()) {
            if (!xobject.isStream() || !seen.insert(xobject.getObjGen()).second)
                continue;
            QPDFObjectHandle dict = xobject.getDict();
            visit(dict);
            if (dict.getKey("/Resources").isDictionary())
                resources.push_back(dict.getKey("/Resources"));
        }
    }
}

// The elements of a tree from top, each once, for renaming what they say.
std::vector<QPDFObjectHandle> Elements(QPDFObjectHandle top)
{
    std::vector<QPDFObjectHandle> out, pending{top};
    std::set<QPDFObjGen> seen;
    while (!pending.empty()) {
        QPDFObjectHandle element = pending.back();
        pending.pop_back();
        if (!element.isDictionary() ||
            (element.isIndirect() && !seen.insert(element.getObjGen()).second))
            continue;
        out.push_back(element);
        QPDFObjectHandle kids = element.getKey("/K");
        if (kids.isArray()) {
            for (QPDFObjectHandle kid : kids.aitems())
                pending.push_back(kid);
        } else {
            pending.push_back(kids);
        }
    }
    return out;
}

std::string Unused(const std::string &name, const std::set<std::string> &taken)
{
    for (int n = 2;; ++n) {
        const std::string candidate = name + "_" + std::to_string(n);
        if (!taken.count(candidate))
            return candidate;
    }
}

} // namespace

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
            const std::string other = Unused(name, taken);
            taken.insert(other);
            to.replaceKey(other, copy);
            renamed[name] = other;
        }
    }
}

QPDFObjectHandle StructureTree::CopyUnderPart(QPDF &book, const SourceInBook &source,
                                              QPDFObjectHandle sourceRoot)
{
    QPDFObjectHandle catalog = source.source.getRoot();
    // Made in the source, so the copier takes the tree in one piece and points its /P links at
    // that element's copy.
    QPDFObjectHandle part = source.source.makeIndirectObject(QPDFObjectHandle::newDictionary());
    part.replaceKey("/Type", QPDFObjectHandle::newName("/StructElem"));
    part.replaceKey("/S", QPDFObjectHandle::newName("/Part"));
    part.replaceKey("/T", QPDFObjectHandle::newUnicodeString(source.name.toStdString()));
    QPDFObjectHandle kids = sourceRoot.getKey("/K");
    QPDFObjectHandle partKids = QPDFObjectHandle::newArray();
    for (QPDFObjectHandle kid :
         kids.isArray() ? kids.getArrayAsVector() : std::vector<QPDFObjectHandle>{kids})
        if (kid.isDictionary()) {
            kid.replaceKey("/P", part);
            partKids.appendItem(kid);
        }
    part.replaceKey("/K", partKids);
    QPDFObjectHandle language = catalog.getKey("/Lang");
    if (language.isString()) {
        part.replaceKey("/Lang", language.shallowCopy());
        if (!language_.isInitialized())
            language_ = language.shallowCopy();
    }
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
    for (QPDFObjectHandle element : Elements(part)) {
        QPDFObjectHandle type = element.getKey("/S");
        if (type.isName() && roles.count(type.getName()))
            element.replaceKey("/S", QPDFObjectHandle::newName(roles.at(type.getName())));
        QPDFObjectHandle className = element.getKey("/C");
        if (className.isName() && classes.count(className.getName()))
            element.replaceKey("/C", QPDFObjectHandle::newName(classes.at(className.getName())));
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
        auto ids = QPDFNameTreeObjectHelper::newEmpty(book);
        for (auto &[id, element] : ids_)
            ids.insert(id, element);
        root_.replaceKey("/IDTree", ids.getObjectHandle());
    }
    QPDFObjectHandle catalog = book.getRoot();
    catalog.replaceKey("/StructTreeRoot", root_);
    if (marked_)
        catalog.replaceKey("/MarkInfo", QPDFObjectHandle::parse("<< /Marked true >>"));
    if (language_.isInitialized())
        catalog.replaceKey("/Lang", language_);
}

} // namespace qf
