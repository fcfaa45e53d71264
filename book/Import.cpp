#include "book/Import.h"

namespace qf {

SourceInBook::SourceInBook(QPDF &book, const QString &fileName, QPDF &from, int first, int count)
    : name(fileName), source(from), firstPage(first), pages(count)
{
    const std::vector<QPDFObjectHandle> &own = from.getAllPages();
    const std::vector<QPDFObjectHandle> &all = book.getAllPages();
    bookPages.assign(all.begin() + first, all.begin() + first + count);
    for (int i = 0; i < count && size_t(i) < own.size(); ++i)
        pageCopies.emplace(own[size_t(i)].getObjGen(), bookPages[size_t(i)]);
}

QPDFObjectHandle Import(QPDF &book, const SourceInBook &source, QPDFObjectHandle object)
{
    if (object.isIndirect()) {
        // The copier would copy a page it is handed itself: pages come only as the book has them.
        if (object.isPageObject()) {
            const auto copy = source.pageCopies.find(object.getObjGen());
            return copy == source.pageCopies.end() ? QPDFObjectHandle::newNull() : copy->second;
        }
        // Nor does it copy a page tree node: it hands back an empty handle for one.
        if (object.isPagesObject())
            return QPDFObjectHandle::newNull();
        QPDFObjectHandle copy = book.copyForeignObject(object);
        return copy.isInitialized() ? copy : QPDFObjectHandle::newNull();
    }
    if (object.isArray()) {
        QPDFObjectHandle copy = QPDFObjectHandle::newArray();
        for (QPDFObjectHandle item : object.aitems())
            copy.appendItem(Import(book, source, item));
        return copy;
    }
    if (object.isDictionary()) {
        QPDFObjectHandle copy = QPDFObjectHandle::newDictionary();
        for (auto &[key, value] : object.ditems())
            copy.replaceKey(key, Import(book, source, value));
        return copy;
    }
    return object.isInitialized() ? object.shallowCopy() : QPDFObjectHandle::newNull();
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

std::string PrefixedName(const SourceInBook &source, const std::string &name)
{
    return source.name.toStdString() + "/" + name;
}

} // namespace qf
