#include "book/Destinations.h"

#include "book/NameTree.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <QDir>

#include <algorithm>
#include <set>

namespace qf {
namespace {

std::string NameKey(const std::string &name)
{
    return name.empty() || name[0] != '/' ? name : name.substr(1);
}

// The file a GoToR action opens, as written.
QString FileOf(QPDFObjectHandle fileSpec)
{
    if (fileSpec.isString())
        return QString::fromStdString(fileSpec.getUTF8Value());
    if (fileSpec.isDictionary())
        for (const char *key : {"/UF", "/F", "/Unix"})
            if (fileSpec.getKey(key).isString())
                return QString::fromStdString(fileSpec.getKey(key).getUTF8Value());
    return QString();
}

} // namespace

QPDFObjectHandle PrefixedDestination(const std::string &prefix, QPDFObjectHandle dest)
{
    if (dest.isName())
        return QPDFObjectHandle::newUnicodeString(prefix + NameKey(dest.getName()));
    if (dest.isString())
        return QPDFObjectHandle::newUnicodeString(prefix + dest.getUTF8Value());
    return dest;
}

void Destinations::FixAction(const std::string &prefix, QPDFObjectHandle action,
                             std::set<QPDFObjGen> &seen, int depth)
{
    if (!action.isDictionary() || depth > kMaxActionChain ||
        (action.isIndirect() && !seen.insert(action.getObjGen()).second))
        return;
    QPDFObjectHandle type = action.getKey("/S");
    if (type.isNameAndEquals("/GoTo") && !prefix.empty()) {
        action.replaceKey("/D", PrefixedDestination(prefix, action.getKey("/D")));
    } else if (type.isNameAndEquals("/GoToR")) {
        const QString target = FileInTheBook(action.getKey("/F"));
        if (!target.isEmpty())
            remote_.push_back({action, target});
    }
    QPDFObjectHandle next = action.getKey("/Next");
    if (next.isArray()) {
        for (QPDFObjectHandle item : next.aitems())
            FixAction(prefix, item, seen, depth + 1);
    } else {
        FixAction(prefix, next, seen, depth + 1);
    }
}

void NamedPlaces::Add(std::string_view name, int page, std::string_view view)
{
    const size_t size = name.size() + view.size();
    if (blocks_.empty() || blocks_.back().size() + size > blocks_.back().capacity()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlock, size));
    }
    std::string &block = blocks_.back();
    held_.push_back({uint32_t(blocks_.size() - 1), uint32_t(block.size()), uint32_t(name.size()),
                     uint32_t(view.size()), page});
    block.append(name);
    block.append(view);
}

std::vector<NamedPlaces::Entry> NamedPlaces::Sorted() const
{
    std::vector<Entry> all;
    all.reserve(held_.size());
    for (const Held &held : held_) {
        const std::string_view text(blocks_[held.block].data() + held.offset,
                                    held.nameSize + held.viewSize);
        all.push_back({text.substr(0, held.nameSize), held.page, text.substr(held.nameSize)});
    }
    std::stable_sort(all.begin(), all.end(), NameBefore);
    // Of a name added twice, the last.
    std::vector<Entry> sorted;
    sorted.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i)
        if (i + 1 == all.size() || all[i + 1].first != all[i].first)
            sorted.push_back(all[i]);
    return sorted;
}

void Destinations::AddWritten(QPDF &book, const QString &name, int firstPage, int pages,
                              const std::map<std::string, NamedPlace> &places,
                              const PageMoves &moves)
{
    Place(name, firstPage, pages, moves);
    const std::vector<QPDFObjectHandle> &bookPages = book.getAllPages();
    const std::string prefix = NamePrefix(name);
    std::string key;
    std::map<size_t, int> noted; // a page of the book, by its place in namedPages_
    for (const auto &[own, place] : places) {
        const size_t page = size_t(firstPage + place.page);
        if (place.page < 0 || place.page >= pages || page >= bookPages.size())
            continue;
        // The page itself, not its place: an index may yet go in front.
        const auto [at, added] = noted.try_emplace(page, int(namedPages_.size()));
        if (added)
            namedPages_.push_back(bookPages[page]);
        key.assign(prefix).append(own);
        names_.Add(key, at->second, place.view);
    }
}

QString FileInTheBook(QPDFObjectHandle fileSpec)
{
    QString path = QDir::cleanPath(FileOf(fileSpec));
    if (path.isEmpty() || path.contains(QLatin1Char('/')))
        return QString(); // outside the folder, or nowhere
    // Placed later sources are not known yet: resolved against all at the end.
    return path;
}

void Destinations::AddRemote(QPDF &book, const std::vector<WrittenByTheBook> &objects,
                             const std::function<void(QPDFObjectHandle, int)> &write,
                             const std::function<QPDFObjectHandle(int)> &written)
{
    std::set<QPDFObjGen> seen;
    for (const WrittenByTheBook &held : objects) {
        QPDFObjectHandle object = book.makeIndirectObject(Attached(held.object, written));
        write(object, held.number);
        // Its names were renamed with its source; an annotation's links are in its action.
        FixAction("", object.hasKey("/S") ? object : object.getKey("/A"), seen, 0);
    }
}

QPDFObjectHandle Destinations::RemoteDestination(QPDF &book, const Placed &target,
                                                 QPDFObjectHandle dest,
                                                 const std::vector<NamedPlaces::Entry> &names)
{
    const auto has = [&](const std::string &name) {
        return std::binary_search(names.begin(), names.end(), NamedPlaces::Entry{name, 0, {}},
                                  NamedPlaces::NameBefore);
    };
    const std::vector<QPDFObjectHandle> &pages = book.getAllPages();
    const auto place = [&](long long index) {
        return index < 0 || index >= target.pages ? 0 : index;
    };
    const auto page = [&](long long index) {
        return pages.at(size_t(target.firstPage + place(index)));
    };
    const std::string prefix = NamePrefix(target.name);
    if (dest.isName() && has(prefix + NameKey(dest.getName())))
        return QPDFObjectHandle::newUnicodeString(prefix + NameKey(dest.getName()));
    if (dest.isString() && has(prefix + dest.getUTF8Value()))
        return QPDFObjectHandle::newUnicodeString(prefix + dest.getUTF8Value());
    QPDFObjectHandle result = QPDFObjectHandle::newArray();
    if (dest.isArray() && dest.getArrayNItems() >= 1 && dest.getArrayItem(0).isInteger()) {
        const long long index = dest.getArrayItem(0).getIntValue();
        result.appendItem(page(index));
        for (int i = 1; i < dest.getArrayNItems(); ++i)
            result.appendItem(dest.getArrayItem(i).shallowCopy());
        if (const auto moved = target.moves.find(int(place(index))); moved != target.moves.end())
            MoveSpot(result, moved->second);
        return result;
    }
    result.appendItem(page(dest.isInteger() ? dest.getIntValue() : 0));
    result.appendItem(QPDFObjectHandle::newName("/Fit"));
    return result;
}

void Destinations::LeadToVolume(QPDFObjectHandle action, const InAnotherVolume &other)
{
    QPDFObjectHandle dest = action.getKey("/D");
    // Names stay names, under the prefix that volume keeps them by; a page moves to its place.
    const std::string prefix = NamePrefix(other.name);
    QPDFObjectHandle moved;
    if (dest.isName())
        moved = QPDFObjectHandle::newUnicodeString(prefix + NameKey(dest.getName()));
    else if (dest.isString())
        moved = QPDFObjectHandle::newUnicodeString(prefix + dest.getUTF8Value());
    else {
        long long index =
            dest.isArray() && dest.getArrayNItems() >= 1 && dest.getArrayItem(0).isInteger()
                ? dest.getArrayItem(0).getIntValue()
                : 0;
        if (index < 0 || index >= other.pages)
            index = 0;
        moved = QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(other.firstPage + index)});
        if (dest.isArray() && dest.getArrayNItems() >= 2)
            for (int i = 1; i < dest.getArrayNItems(); ++i)
                moved.appendItem(dest.getArrayItem(i).shallowCopy());
        else
            moved.appendItem(QPDFObjectHandle::newName("/Fit"));
    }
    QPDFObjectHandle file = QPDFObjectHandle::parse("<< /Type /Filespec >>");
    file.replaceKey("/F", QPDFObjectHandle::newString(other.volumeFile.toStdString()));
    file.replaceKey("/UF", QPDFObjectHandle::newUnicodeString(other.volumeFile.toStdString()));
    action.replaceKey("/F", file);
    action.replaceKey("/D", moved);
    action.removeKey("/SD");
}

QPDFObjectHandle Destinations::NameTree(QPDF &book, const TextWriter &text,
                                        const std::vector<NamedPlaces::Entry> &names) const
{
    using Entry = std::vector<NamedPlaces::Entry>::const_iterator;
    const std::vector<QPDFObjectHandle> &pages = namedPages_;
    return NameTreeOf(
        book, names.begin(), names.end(), [&](Entry first, Entry last, QPDFObjectHandle limits) {
            if (!text) {
                QPDFObjectHandle leaf = QPDFObjectHandle::newArray();
                for (Entry entry = first; entry != last; ++entry) {
                    leaf.appendItem(QPDFObjectHandle::newUnicodeString(std::string(entry->first)));
                    leaf.appendItem(
                        BookDestination(pages.at(size_t(entry->page)), std::string(entry->view)));
                }
                QPDFObjectHandle node = QPDFObjectHandle::newDictionary({{"/Names", leaf}});
                if (!limits.isNull())
                    node.replaceKey("/Limits", limits);
                return book.makeIndirectObject(node);
            }
            return text([&](const NumberOf &numberOf) {
                std::string leaf = "<< ";
                if (!limits.isNull())
                    leaf += "/Limits " + limits.unparse() + ' ';
                leaf += "/Names [";
                for (Entry entry = first; entry != last; ++entry)
                    leaf +=
                        ' ' +
                        QPDFObjectHandle::newUnicodeString(std::string(entry->first)).unparse() +
                        " [ " + std::to_string(numberOf(pages.at(size_t(entry->page)))) + " 0 R " +
                        std::string(entry->view) + " ]";
                return leaf + " ] >>";
            });
        });
}

void Destinations::Finish(QPDF &book, const TextWriter &text)
{
    const std::vector<NamedPlaces::Entry> names = names_.Sorted();
    for (Remote &remote : remote_) {
        const Placed *target = nullptr;
        for (const Placed &placed : placed_)
            if (placed.name == remote.target)
                target = &placed;
        if (!target) // the folder ignores case when it names a file
            for (const Placed &placed : placed_)
                if (placed.name.compare(remote.target, Qt::CaseInsensitive) == 0)
                    target = &placed;
        if (!target) {
            for (const InAnotherVolume &other : others_)
                if (other.name.compare(remote.target, Qt::CaseInsensitive) == 0) {
                    LeadToVolume(remote.action, other);
                    break;
                }
            continue;
        }
        QPDFObjectHandle dest = RemoteDestination(book, *target, remote.action.getKey("/D"), names);
        remote.action.replaceKey("/S", QPDFObjectHandle::newName("/GoTo"));
        remote.action.replaceKey("/D", dest);
        for (const char *key : {"/F", "/NewWindow", "/SD"})
            remote.action.removeKey(key);
    }

    QPDFObjectHandle root = book.getRoot();
    if (!names.empty()) {
        if (!root.getKey("/Names").isDictionary())
            root.replaceKey("/Names", QPDFObjectHandle::newDictionary());
        root.getKey("/Names").replaceKey("/Dests", NameTree(book, text, names));
    }
}

} // namespace qf
