#include "book/Layers.h"

#include <set>

namespace qf {
namespace {

void AppendAll(QPDF &book, const SourceInBook &source, QPDFObjectHandle to, QPDFObjectHandle from)
{
    if (from.isArray())
        for (QPDFObjectHandle item : from.aitems())
            to.appendItem(Import(book, source, item));
}

std::set<QPDFObjGen> Groups(QPDFObjectHandle list)
{
    std::set<QPDFObjGen> out;
    if (list.isArray())
        for (QPDFObjectHandle item : list.aitems())
            if (item.isIndirect())
                out.insert(item.getObjGen());
    return out;
}

} // namespace

void Layers::Add(QPDF &book, const SourceInBook &source)
{
    QPDFObjectHandle properties = source.source.getRoot().getKey("/OCProperties");
    if (!properties.isDictionary() || !properties.getKey("/OCGs").isArray())
        return;
    any_ = true;
    QPDFObjectHandle defaults = properties.getKey("/D");
    if (!defaults.isDictionary())
        defaults = QPDFObjectHandle::newDictionary();
    const std::set<QPDFObjGen> on = Groups(defaults.getKey("/ON"));
    const std::set<QPDFObjGen> off = Groups(defaults.getKey("/OFF"));
    // The book starts every group on unless told: a source that starts them off says so of each.
    const bool baseOff = defaults.getKey("/BaseState").isNameAndEquals("/OFF");
    for (QPDFObjectHandle group : properties.getKey("/OCGs").aitems()) {
        if (!group.isIndirect())
            continue;
        QPDFObjectHandle copy = Import(book, source, group);
        if (!copy.isDictionary())
            continue;
        groups_.appendItem(copy);
        if (off.count(group.getObjGen()) || (baseOff && !on.count(group.getObjGen())))
            off_.appendItem(copy);
        else if (on.count(group.getObjGen()))
            on_.appendItem(copy);
    }
    // A source without an order of its own lists its groups as they come, or a viewer would
    // list none of them once another source gives one.
    if (defaults.getKey("/Order").isArray())
        AppendAll(book, source, order_, defaults.getKey("/Order"));
    else
        AppendAll(book, source, order_, properties.getKey("/OCGs"));
    AppendAll(book, source, radioButtons_, defaults.getKey("/RBGroups"));
    AppendAll(book, source, locked_, defaults.getKey("/Locked"));
    AppendAll(book, source, usage_, defaults.getKey("/AS"));
}

void Layers::Finish(QPDF &book)
{
    if (!any_)
        return;
    QPDFObjectHandle defaults = QPDFObjectHandle::newDictionary();
    defaults.replaceKey("/BaseState", QPDFObjectHandle::newName("/ON"));
    defaults.replaceKey("/ON", on_);
    defaults.replaceKey("/OFF", off_);
    const std::pair<const char *, QPDFObjectHandle> optional[] = {
        {"/Order", order_}, {"/RBGroups", radioButtons_}, {"/Locked", locked_}, {"/AS", usage_}};
    for (auto [key, list] : optional)
        if (list.getArrayNItems() > 0)
            defaults.replaceKey(key, list);
    QPDFObjectHandle properties = QPDFObjectHandle::newDictionary();
    properties.replaceKey("/OCGs", groups_);
    properties.replaceKey("/D", defaults);
    book.getRoot().replaceKey("/OCProperties", book.makeIndirectObject(properties));
}

} // namespace qf
