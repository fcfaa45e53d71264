#include "automation/Outline.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

namespace qf {
namespace {

QPDFObjectHandle OutlineRoot(QPDF &pdf, bool create)
{
    QPDFObjectHandle catalog = pdf.getRoot();
    QPDFObjectHandle outlines = catalog.getKey("/Outlines");
    if (outlines.isDictionary() || !create)
        return outlines;
    outlines = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Outlines /Count 0 >>"));
    catalog.replaceKey("/Outlines", outlines);
    return outlines;
}

int CountOf(QPDFObjectHandle item)
{
    QPDFObjectHandle count = item.getKey("/Count");
    return count.isInteger() ? count.getIntValueAsInt() : 0;
}

// Calls visit for each item in outline order until it returns true.
void Walk(QPDFObjectHandle first, const std::function<bool(QPDFObjectHandle)> &visit)
{
    std::set<QPDFObjGen> seen; // a damaged outline may loop
    std::function<bool(QPDFObjectHandle)> walk = [&](QPDFObjectHandle item) {
        for (; item.isDictionary() && seen.insert(item.getObjGen()).second;
             item = item.getKey("/Next")) {
            if (visit(item) || walk(item.getKey("/First")))
                return true;
        }
        return false;
    };
    walk(first);
}

bool HasTitle(QPDFObjectHandle item, const std::string &title)
{
    QPDFObjectHandle t = item.getKey("/Title");
    return t.isString() && t.getUTF8Value() == title;
}

// Whether an item is in the document's outline: each item up to the root is still linked from the
// one before it, or from its parent as the first. An item taken out keeps its own links, but no
// one else's lead to it. Looking up rather than through the whole outline keeps a bookmark per
// document from costing a walk through all the others.
bool InOutline(QPDF &pdf, QPDFObjectHandle wanted)
{
    QPDFObjectHandle root = OutlineRoot(pdf, false);
    if (!root.isDictionary())
        return false;
    std::set<QPDFObjGen> seen;
    for (QPDFObjectHandle item = wanted; item.isDictionary(); item = item.getKey("/Parent")) {
        if (item.getObjGen() == root.getObjGen())
            return true;
        if (!seen.insert(item.getObjGen()).second)
            return false; // a loop of parents
        QPDFObjectHandle prev = item.getKey("/Prev");
        QPDFObjectHandle link =
            prev.isDictionary() ? prev.getKey("/Next") : item.getKey("/Parent").getKey("/First");
        if (!link.isDictionary() || link.getObjGen() != item.getObjGen())
            return false;
    }
    return false;
}

} // namespace

QPDFObjectHandle AddOutlineItem(PdfFile &file, const QString &title, int page)
{
    QPDF &pdf = file.pdf;
    QPDFObjectHandle root = OutlineRoot(pdf, true);
    QPDFObjectHandle dest = QPDFObjectHandle::newArray();
    dest.appendItem(pdf.getAllPages().at(size_t(page)));
    dest.appendItem(QPDFObjectHandle::newName("/Fit"));
    QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    item.replaceKey("/Parent", root);
    item.replaceKey("/Dest", dest);
    QPDFObjectHandle last = root.getKey("/Last");
    if (last.isDictionary()) {
        last.replaceKey("/Next", item);
        item.replaceKey("/Prev", last);
    } else {
        root.replaceKey("/First", item);
    }
    root.replaceKey("/Last", item);
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(std::abs(CountOf(root)) + 1));
    file.madeOutlineItems.push_back(item);
    file.unsaved = true;
    return item;
}

QPDFObjectHandle FindOutlineItem(PdfFile &file, const QString &title)
{
    const std::string wanted = title.toStdString();
    for (auto it = file.madeOutlineItems.rbegin(); it != file.madeOutlineItems.rend(); ++it)
        if (HasTitle(*it, wanted) && InOutline(file.pdf, *it))
            return *it;
    QPDFObjectHandle found = QPDFObjectHandle::newNull();
    QPDFObjectHandle root = OutlineRoot(file.pdf, false);
    if (root.isDictionary())
        Walk(root.getKey("/First"), [&](QPDFObjectHandle item) {
            if (!HasTitle(item, wanted))
                return false;
            found = item;
            return true;
        });
    return found;
}

void RetitleOutlineItem(PdfFile &file, QPDFObjectHandle item, const QString &title)
{
    item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    file.unsaved = true;
}

void RemoveOutlineItem(PdfFile &file, QPDFObjectHandle item)
{
    QPDFObjectHandle parent = item.getKey("/Parent");
    QPDFObjectHandle prev = item.getKey("/Prev");
    QPDFObjectHandle next = item.getKey("/Next");
    auto link = [](QPDFObjectHandle dict, const char *key, QPDFObjectHandle to) {
        if (to.isDictionary())
            dict.replaceKey(key, to);
        else
            dict.removeKey(key);
    };
    link(prev.isDictionary() ? prev : parent, prev.isDictionary() ? "/Next" : "/First", next);
    link(next.isDictionary() ? next : parent, next.isDictionary() ? "/Prev" : "/Last", prev);

    // Open items count their visible descendants; a closed one (negative count) hides the rest.
    const int removed = 1 + std::max(CountOf(item), 0);
    for (QPDFObjectHandle p = parent; p.isDictionary(); p = p.getKey("/Parent")) {
        const int count = CountOf(p);
        if (count < 0) {
            p.replaceKey("/Count", QPDFObjectHandle::newInteger(std::min(count + removed, 0)));
            break;
        }
        p.replaceKey("/Count", QPDFObjectHandle::newInteger(std::max(count - removed, 0)));
    }
    auto &made = file.madeOutlineItems;
    made.erase(std::remove_if(
                   made.begin(), made.end(),
                   [&](const QPDFObjectHandle &h) { return h.getObjGen() == item.getObjGen(); }),
               made.end());
    file.unsaved = true;
}

} // namespace qf
