#include "book/RenamedLinks.h"

#include "book/Destinations.h"

namespace qf {
namespace {

bool IsName(QPDFObjectHandle dest)
{
    return dest.isName() || dest.isString();
}

// Whether an action goes to a place its file names.
bool GoesToAName(QPDFObjectHandle action)
{
    return action.getKey("/S").isNameAndEquals("/GoTo") && IsName(action.getKey("/D"));
}

} // namespace

void RenamedLinks::Rename(const std::vector<QPDFObjectHandle> &pages, const std::string &prefix)
{
    prefix_ = prefix;
    for (QPDFObjectHandle page : pages) {
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            // An annotation that two pages share is renamed once.
            if (!annotation.isDictionary() ||
                (annotation.isIndirect() && !seen_.insert(annotation.getObjGen()).second))
                continue;
            const bool action = FindAction(annotation.getKey("/A"), 0);
            if (!action && !IsName(annotation.getKey("/Dest")))
                continue;
            // One with no object of its own for its copy to stand in for (a damaged file's)
            // keeps its name, as a link the book cannot follow.
            if (annotation.isIndirect() && !annotation.isStream())
                renamed_[annotation.getObjGen()] = Kind::Link;
        }
    }
}

bool RenamedLinks::FindAction(QPDFObjectHandle action, int depth)
{
    if (!action.isDictionary() || action.isStream() || depth > kMaxActionChain ||
        (action.isIndirect() && !seen_.insert(action.getObjGen()).second))
        return false;
    bool changes = GoesToAName(action);
    QPDFObjectHandle next = action.getKey("/Next");
    if (next.isArray()) {
        bool any = false;
        for (QPDFObjectHandle item : next.aitems())
            any = FindAction(item, depth + 1) || any;
        if (any && next.isIndirect())
            renamed_[next.getObjGen()] = Kind::Next;
        else
            changes = changes || any;
    } else {
        changes = FindAction(next, depth + 1) || changes;
    }
    if (changes && action.isIndirect()) {
        renamed_[action.getObjGen()] = Kind::Action;
        return false;
    }
    return changes;
}

QPDFObjectHandle RenamedLinks::CopyAction(QPDFObjectHandle action, int depth, bool top) const
{
    if (!action.isDictionary() || action.isStream() || depth > kMaxActionChain ||
        (action.isIndirect() && !top))
        return action;
    QPDFObjectHandle copy = action.shallowCopy();
    if (GoesToAName(action))
        copy.replaceKey("/D", PrefixedDestination(prefix_, action.getKey("/D")));
    QPDFObjectHandle next = action.getKey("/Next");
    if (next.isArray() && !next.isIndirect()) {
        std::vector<QPDFObjectHandle> items = next.getArrayAsVector();
        for (QPDFObjectHandle &item : items)
            item = CopyAction(item, depth + 1);
        copy.replaceKey("/Next", QPDFObjectHandle::newArray(items));
    } else if (next.isDictionary()) {
        copy.replaceKey("/Next", CopyAction(next, depth + 1));
    }
    return copy;
}

QPDFObjectHandle RenamedLinks::For(QPDFObjectHandle object) const
{
    if (renamed_.empty())
        return object;
    const auto found = renamed_.find(object.getObjGen());
    if (found == renamed_.end())
        return object;
    switch (found->second) {
    case Kind::Link: {
        QPDFObjectHandle copy = object.shallowCopy();
        if (QPDFObjectHandle dest = object.getKey("/Dest"); IsName(dest))
            copy.replaceKey("/Dest", PrefixedDestination(prefix_, dest));
        if (QPDFObjectHandle action = object.getKey("/A"); action.isDictionary())
            copy.replaceKey("/A", CopyAction(action, 0));
        return copy;
    }
    case Kind::Action:
        return CopyAction(object, 0, true);
    case Kind::Next: {
        std::vector<QPDFObjectHandle> items = object.getArrayAsVector();
        for (QPDFObjectHandle &item : items)
            item = CopyAction(item, 1);
        return QPDFObjectHandle::newArray(items);
    }
    }
    return object;
}

} // namespace qf
