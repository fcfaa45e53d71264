#include "book/RenamedLinks.h"

#include "book/Destinations.h"

namespace qf {
namespace {

constexpr int kMaxActionChain = 50;

bool IsName(QPDFObjectHandle dest)
{
    return dest.isName() || dest.isString();
}

} // namespace

bool RenamedLinks::Rename(const std::vector<QPDFObjectHandle> &pages, const std::string &prefix)
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
            bool changed = false;
            QPDFObjectHandle action = Action(annotation.getKey("/A"), changed, 0);
            QPDFObjectHandle dest = annotation.getKey("/Dest");
            if (!changed && !IsName(dest))
                continue;
            if (!annotation.isIndirect() || annotation.isStream())
                return false;
            QPDFObjectHandle copy = annotation.shallowCopy();
            if (IsName(dest))
                copy.replaceKey("/Dest", PrefixedDestination(prefix_, dest));
            if (changed)
                copy.replaceKey("/A", action);
            copies_[annotation.getObjGen()] = copy;
        }
    }
    return true;
}

QPDFObjectHandle RenamedLinks::Action(QPDFObjectHandle action, bool &changed, int depth)
{
    if (!action.isDictionary() || action.isStream() || depth > kMaxActionChain ||
        (action.isIndirect() && !seen_.insert(action.getObjGen()).second))
        return action;
    QPDFObjectHandle dest = action.getKey("/D");
    const bool named = action.getKey("/S").isNameAndEquals("/GoTo") && IsName(dest);
    QPDFObjectHandle next = action.getKey("/Next"), renamedNext;
    if (next.isArray()) {
        std::vector<QPDFObjectHandle> items = next.getArrayAsVector();
        bool any = false;
        for (QPDFObjectHandle &item : items)
            item = Action(item, any, depth + 1);
        if (any && next.isIndirect())
            copies_[next.getObjGen()] = QPDFObjectHandle::newArray(items);
        else if (any)
            renamedNext = QPDFObjectHandle::newArray(items);
    } else {
        bool nextChanged = false;
        QPDFObjectHandle item = Action(next, nextChanged, depth + 1);
        if (nextChanged)
            renamedNext = item;
    }
    if (!named && !renamedNext.isInitialized())
        return action;
    QPDFObjectHandle copy = action.shallowCopy();
    if (named)
        copy.replaceKey("/D", PrefixedDestination(prefix_, dest));
    if (renamedNext.isInitialized())
        copy.replaceKey("/Next", renamedNext);
    if (action.isIndirect()) {
        copies_[action.getObjGen()] = copy;
        return action;
    }
    changed = true;
    return copy;
}

QPDFObjectHandle RenamedLinks::For(QPDFObjectHandle object) const
{
    if (copies_.empty())
        return object;
    const auto copy = copies_.find(object.getObjGen());
    return copy == copies_.end() ? object : copy->second;
}

} // namespace qf
