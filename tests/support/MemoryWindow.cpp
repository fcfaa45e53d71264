#include "support/MemoryWindow.h"

#include "listing/ListOrder.h"

namespace qf {

bool MemoryTickList::SetCurrent(int index)
{
    if (index < 0 || index >= items_.size())
        return false;
    current_ = index;
    return true;
}

void MemoryTickList::Clear()
{
    items_.clear();
    current_ = -1;
}

void MemoryTickList::AddItem(const QString &text)
{
    const int row = SortedInsertRow(
        int(items_.size()), [this](int i) { return items_.at(i).text; }, text);
    items_.insert(row, Item{text, false, QString()});
    if (current_ >= row)
        ++current_;
}

QStringList MemoryTickList::texts() const
{
    QStringList out;
    for (const Item &item : items_)
        out.append(item.text);
    return out;
}

QStringList MemoryTickList::tickedTexts() const
{
    QStringList out;
    for (const Item &item : items_)
        if (item.ticked)
            out.append(item.text);
    return out;
}

} // namespace qf
