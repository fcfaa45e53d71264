#include "book/Import.h"

namespace qf {

std::string NamePrefix(const QString &source)
{
    return source.toStdString() + "/";
}

QPDFObjectHandle ValueOf(QPDFObjectHandle dictionary, const std::string &key)
{
    return dictionary.isDictionary() ? dictionary.getKey(key) : QPDFObjectHandle::newNull();
}

namespace {

constexpr int kMaxDetachedDepth = 32;
const std::string kWrittenMark = "/QfWrittenObject";

QPDFObjectHandle Rebuilt(QPDFObjectHandle value, int depth,
                         const std::function<QPDFObjectHandle(QPDFObjectHandle)> &part)
{
    if (depth > kMaxDetachedDepth)
        return QPDFObjectHandle::newNull();
    if (value.isArray()) {
        std::vector<QPDFObjectHandle> items;
        for (QPDFObjectHandle item : value.aitems())
            items.push_back(part(item));
        return QPDFObjectHandle::newArray(items);
    }
    if (value.isDictionary() && !value.isStream()) {
        QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
        for (auto &[key, item] : value.ditems())
            dict.replaceKey(key, part(item));
        return dict;
    }
    return value.isStream() ? QPDFObjectHandle::newNull() : value.shallowCopy();
}

QPDFObjectHandle DetachedAt(QPDFObjectHandle value, int depth,
                            const std::function<int(QPDFObjectHandle)> &numberOf)
{
    if (value.isIndirect()) {
        const int number = numberOf(value);
        return number > 0 ? QPDFObjectHandle::newDictionary(
                                {{kWrittenMark, QPDFObjectHandle::newInteger(number)}})
                          : QPDFObjectHandle::newNull();
    }
    return Rebuilt(value, depth,
                   [&](QPDFObjectHandle item) { return DetachedAt(item, depth + 1, numberOf); });
}

QPDFObjectHandle AttachedAt(QPDFObjectHandle value, int depth,
                            const std::function<QPDFObjectHandle(int)> &written)
{
    if (QPDFObjectHandle mark = ValueOf(value, kWrittenMark); mark.isInteger())
        return written(mark.getIntValueAsInt());
    return Rebuilt(value, depth,
                   [&](QPDFObjectHandle item) { return AttachedAt(item, depth + 1, written); });
}

} // namespace

void ObjectsIn(QPDFObjectHandle value, std::vector<QPDFObjectHandle> &out, int depth)
{
    if (value.isIndirect()) {
        out.push_back(value);
        return;
    }
    if (depth > kMaxDetachedDepth)
        return;
    if (value.isArray())
        for (QPDFObjectHandle item : value.aitems())
            ObjectsIn(item, out, depth + 1);
    else if (value.isDictionary())
        for (auto &[key, item] : value.ditems())
            ObjectsIn(item, out, depth + 1);
}

QPDFObjectHandle Detached(QPDFObjectHandle value,
                          const std::function<int(QPDFObjectHandle)> &numberOf)
{
    return DetachedAt(value, 0, numberOf);
}

QPDFObjectHandle Attached(QPDFObjectHandle detached,
                          const std::function<QPDFObjectHandle(int number)> &written)
{
    return AttachedAt(detached, 0, written);
}

std::string DestinationView(QPDFObjectHandle dest)
{
    std::string view;
    for (int i = 1; i < dest.getArrayNItems(); ++i) {
        QPDFObjectHandle part = dest.getArrayItem(i);
        if (part.isIndirect() || !(part.isNumber() || part.isName() || part.isNull()))
            return "/Fit";
        view += (view.empty() ? "" : " ") + part.unparse();
    }
    return view.empty() ? "/Fit" : view;
}

QPDFObjectHandle BookDestination(QPDFObjectHandle page, const std::string &view)
{
    QPDFObjectHandle dest = QPDFObjectHandle::parse("[" + view + "]");
    dest.insertItem(0, page);
    return dest;
}

namespace {

QPDFObjectHandle DirectCopyAt(QPDFObjectHandle value, int depth, size_t &budget)
{
    if (value.isStream() || depth > kMaxDetachedDepth || budget == 0)
        return QPDFObjectHandle::newNull();
    --budget;
    return Rebuilt(value, depth,
                   [&](QPDFObjectHandle item) { return DirectCopyAt(item, depth + 1, budget); });
}

} // namespace

QPDFObjectHandle DirectCopy(QPDFObjectHandle value)
{
    // Objects that refer to each other would be copied over and over: a damaged file's may.
    size_t budget = 10000;
    return DirectCopyAt(value, 0, budget);
}

} // namespace qf
