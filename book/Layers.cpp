#include "book/Layers.h"

#include <set>

namespace qf {
namespace {

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

std::optional<PieceLayers> ReadLayers(QPDF &source, std::vector<QPDFObjectHandle> &reach)
{
    QPDFObjectHandle properties = source.getRoot().getKey("/OCProperties");
    if (!properties.isDictionary() || !properties.getKey("/OCGs").isArray())
        return std::nullopt;
    QPDFObjectHandle defaults = properties.getKey("/D");
    if (!defaults.isDictionary())
        defaults = QPDFObjectHandle::newDictionary();
    const std::set<QPDFObjGen> on = Groups(defaults.getKey("/ON"));
    const std::set<QPDFObjGen> off = Groups(defaults.getKey("/OFF"));
    const bool baseOff = defaults.getKey("/BaseState").isNameAndEquals("/OFF");
    PieceLayers layers;
    for (QPDFObjectHandle group : properties.getKey("/OCGs").aitems()) {
        if (!group.isIndirect() || !group.isDictionary())
            continue;
        const bool isOff =
            off.count(group.getObjGen()) || (baseOff && !on.count(group.getObjGen()));
        layers.groups.push_back({group, !isOff && on.count(group.getObjGen()) > 0, isOff});
        reach.push_back(group);
    }
    // A source without an order of its own lists its groups as they come, or a viewer would
    // list none of them once another source gives one.
    layers.order = defaults.getKey("/Order").isArray() ? defaults.getKey("/Order")
                                                       : properties.getKey("/OCGs");
    layers.radioButtons = defaults.getKey("/RBGroups");
    layers.locked = defaults.getKey("/Locked");
    layers.usage = defaults.getKey("/AS");
    for (QPDFObjectHandle list : {layers.order, layers.radioButtons, layers.locked, layers.usage})
        if (list.isArray())
            for (QPDFObjectHandle item : list.aitems())
                ObjectsIn(item, reach);
    return layers;
}

PieceLayers MapLayers(const PieceLayers &layers,
                      const std::function<QPDFObjectHandle(QPDFObjectHandle)> &value)
{
    PieceLayers mapped;
    for (const PieceLayers::Group &group : layers.groups)
        mapped.groups.push_back({value(group.group), group.on, group.off});
    const auto items = [&](QPDFObjectHandle list) {
        if (!list.isArray())
            return QPDFObjectHandle::newNull();
        std::vector<QPDFObjectHandle> out;
        for (QPDFObjectHandle item : list.aitems())
            out.push_back(value(item));
        return QPDFObjectHandle::newArray(out);
    };
    mapped.order = items(layers.order);
    mapped.radioButtons = items(layers.radioButtons);
    mapped.locked = items(layers.locked);
    mapped.usage = items(layers.usage);
    return mapped;
}

void Layers::AddWritten(const PieceLayers &layers,
                        const std::function<QPDFObjectHandle(int number)> &written)
{
    Take(MapLayers(layers, [&](QPDFObjectHandle value) { return Attached(value, written); }));
}

void Layers::Take(const PieceLayers &layers)
{
    any_ = true;
    // The book starts every group on unless told: a source that starts them off says so of each.
    for (PieceLayers::Group group : layers.groups) {
        if (!group.group.isDictionary())
            continue;
        groups_.appendItem(group.group);
        if (group.off)
            off_.appendItem(group.group);
        else if (group.on)
            on_.appendItem(group.group);
    }
    const std::pair<QPDFObjectHandle, QPDFObjectHandle> lists[] = {
        {order_, layers.order},
        {radioButtons_, layers.radioButtons},
        {locked_, layers.locked},
        {usage_, layers.usage}};
    for (auto [to, from] : lists)
        if (from.isArray())
            for (QPDFObjectHandle item : from.aitems())
                to.appendItem(item);
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
