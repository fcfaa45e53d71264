#pragma once

#include "book/Import.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qf {

inline constexpr const char *kParentKeys[] = {"/StructParents", "/StructParent"};

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
inline std::vector<QPDFObjectHandle> StructureElements(QPDFObjectHandle top)
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

// Gives element the role and class names another source's meanings made the book rename.
inline void RenameRoleAndClass(QPDFObjectHandle element,
                               const std::map<std::string, std::string> &roles,
                               const std::map<std::string, std::string> &classes)
{
    QPDFObjectHandle type = element.getKey("/S");
    if (type.isName() && roles.count(type.getName()))
        element.replaceKey("/S", QPDFObjectHandle::newName(roles.at(type.getName())));
    QPDFObjectHandle className = element.getKey("/C");
    if (className.isName() && classes.count(className.getName()))
        element.replaceKey("/C", QPDFObjectHandle::newName(classes.at(className.getName())));
}

// A /Part element made in source, titled name and in the source's language, over the top
// elements of its tree, whose /P point at it: made in the source, the tree goes with it in one
// piece.
inline QPDFObjectHandle MakePart(QPDF &source, QPDFObjectHandle sourceRoot, const std::string &name)
{
    QPDFObjectHandle part = source.makeIndirectObject(QPDFObjectHandle::newDictionary());
    part.replaceKey("/Type", QPDFObjectHandle::newName("/StructElem"));
    part.replaceKey("/S", QPDFObjectHandle::newName("/Part"));
    part.replaceKey("/T", QPDFObjectHandle::newUnicodeString(name));
    QPDFObjectHandle kids = sourceRoot.getKey("/K"), partKids = QPDFObjectHandle::newArray();
    for (QPDFObjectHandle kid :
         kids.isArray() ? kids.getArrayAsVector() : std::vector<QPDFObjectHandle>{kids})
        if (kid.isDictionary()) {
            kid.replaceKey("/P", part);
            partKids.appendItem(kid);
        }
    part.replaceKey("/K", partKids);
    if (QPDFObjectHandle language = source.getRoot().getKey("/Lang"); language.isString())
        part.replaceKey("/Lang", language.shallowCopy());
    return part;
}

// name with a number after it that taken does not hold.
inline std::string UnusedName(const std::string &name, const std::set<std::string> &taken)
{
    for (int n = 2;; ++n) {
        const std::string candidate = name + "_" + std::to_string(n);
        if (!taken.count(candidate))
            return candidate;
    }
}

} // namespace qf
