#include "compile/OwnBookmarks.h"

#include "book/Import.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <map>
#include <optional>
#include <set>

#include <QCoreApplication>

namespace qf {
namespace {

struct Reader {
    QPDF &pdf;
    std::map<QPDFObjGen, int> pageIndex;
    std::set<QPDFObjGen> seen;
    QString damage;
    std::optional<std::map<std::string, QPDFObjectHandle>> names;

    // Names are looked up among the tree's entries: the limits a tree's nodes give may be
    // written in another encoding than the names (UTF-16), which qpdf's search then misses.
    QPDFObjectHandle Named(const std::string &name)
    {
        if (!names) {
            names.emplace();
            QPDFObjectHandle tree = ValueOf(pdf.getRoot().getKey("/Names"), "/Dests");
            if (tree.isDictionary())
                for (auto &[key, value] : QPDFNameTreeObjectHelper(tree, pdf))
                    names->emplace(key, value);
        }
        const auto found = names->find(name);
        return found == names->end() ? QPDFObjectHandle::newNull() : found->second;
    }

    // A destination as an explicit array: names are looked up, a dictionary gives its /D.
    QPDFObjectHandle Explicit(QPDFObjectHandle dest)
    {
        QPDFObjectHandle root = pdf.getRoot();
        if (dest.isName()) {
            QPDFObjectHandle dests = root.getKey("/Dests");
            dest =
                dests.isDictionary() ? dests.getKey(dest.getName()) : QPDFObjectHandle::newNull();
        } else if (dest.isString()) {
            dest = Named(dest.getUTF8Value());
        }
        if (dest.isDictionary())
            dest = dest.getKey("/D");
        return dest;
    }

    void Target(QPDFObjectHandle item, OwnBookmark &bookmark)
    {
        QPDFObjectHandle dest = item.getKey("/Dest");
        QPDFObjectHandle action = item.getKey("/A");
        if (dest.isNull() && action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo"))
            dest = action.getKey("/D");
        dest = Explicit(dest);
        if (!dest.isArray() || dest.getArrayNItems() < 1)
            return;
        QPDFObjectHandle page = dest.getArrayItem(0);
        const auto at = page.isIndirect() ? pageIndex.find(page.getObjGen()) : pageIndex.end();
        if (at == pageIndex.end())
            return; // its page is not in the document: no target
        bookmark.page = at->second;
        bookmark.view = DestinationView(dest);
    }

    // The items from first on, siblings in order, each with its children.
    bool Items(QPDFObjectHandle first, QList<OwnBookmark> &out, int depth)
    {
        for (QPDFObjectHandle item = first; !item.isNull(); item = item.getKey("/Next")) {
            if (!item.isDictionary()) {
                damage = QCoreApplication::translate("Book",
                                                     "an item links to something that is no item");
                return false;
            }
            if (item.isIndirect() && !seen.insert(item.getObjGen()).second) {
                damage = QCoreApplication::translate("Book", "its items link round in a loop");
                return false;
            }
            if (depth > 100) {
                damage = QCoreApplication::translate("Book", "its items nest too deep");
                return false;
            }
            OwnBookmark bookmark;
            QPDFObjectHandle title = item.getKey("/Title");
            bookmark.title =
                title.isString() ? QString::fromStdString(title.getUTF8Value()) : QString();
            QPDFObjectHandle count = item.getKey("/Count");
            bookmark.open = count.isInteger() && count.getIntValue() > 0;
            Target(item, bookmark);
            if (!Items(item.getKey("/First"), bookmark.children, depth + 1))
                return false;
            out.append(bookmark);
        }
        return true;
    }
};

// How many items show below one when it is open: its children, and theirs when they are open.
int Showing(const QList<OwnBookmark> &children)
{
    int count = 0;
    for (const OwnBookmark &child : children)
        count += 1 + (child.open ? Showing(child.children) : 0);
    return count;
}

} // namespace

bool ReadOwnBookmarks(QPDF &pdf, QList<OwnBookmark> &bookmarks, QString &damage)
{
    bookmarks.clear();
    Reader reader{pdf, {}, {}, {}, {}};
    const std::vector<QPDFObjectHandle> &pages = pdf.getAllPages();
    for (size_t i = 0; i < pages.size(); ++i)
        reader.pageIndex.emplace(pages[i].getObjGen(), int(i));
    QPDFObjectHandle outlines = pdf.getRoot().getKey("/Outlines");
    if (!outlines.isDictionary())
        return true;
    try {
        if (reader.Items(outlines.getKey("/First"), bookmarks, 0))
            return true;
        damage = reader.damage;
    } catch (const std::exception &e) {
        damage = QString::fromStdString(e.what());
    }
    bookmarks.clear();
    return false;
}

void AddOwnBookmarks(QPDF &book, QPDFObjectHandle parent, const QList<OwnBookmark> &bookmarks,
                     int firstPage)
{
    if (bookmarks.isEmpty())
        return;
    const std::vector<QPDFObjectHandle> &pages = book.getAllPages();
    QPDFObjectHandle previous;
    for (const OwnBookmark &bookmark : bookmarks) {
        QPDFObjectHandle item = book.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(bookmark.title.toStdString()));
        item.replaceKey("/Parent", parent);
        const size_t page = size_t(firstPage + bookmark.page);
        if (bookmark.page >= 0 && page < pages.size()) {
            item.replaceKey("/Dest", BookDestination(pages[page], bookmark.view));
        }
        if (previous.isInitialized()) {
            previous.replaceKey("/Next", item);
            item.replaceKey("/Prev", previous);
        } else {
            parent.replaceKey("/First", item);
        }
        parent.replaceKey("/Last", item);
        AddOwnBookmarks(book, item, bookmark.children, firstPage);
        if (!bookmark.children.isEmpty()) {
            const int showing = Showing(bookmark.children);
            item.replaceKey("/Count",
                            QPDFObjectHandle::newInteger(bookmark.open ? showing : -showing));
        }
        previous = item;
    }
    parent.replaceKey("/Count", QPDFObjectHandle::newInteger(-Showing(bookmarks)));
}

} // namespace qf
