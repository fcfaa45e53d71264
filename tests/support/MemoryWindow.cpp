#include "support/MemoryWindow.h"

#include "listing/ListOrder.h"

#include <algorithm>

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
        int(items_.size()), [this](int i) { return items_.at(i).text; }, text, sorting_);
    items_.insert(row, Item{text, false, QString()});
    if (current_ >= row)
        ++current_;
}

void MemoryTickList::SetOrder(const ListSorting &sorting)
{
    sorting_ = sorting;
    const QString current = current_ >= 0 ? items_.at(current_).text : QString();
    std::stable_sort(items_.begin(), items_.end(), [this](const Item &a, const Item &b) {
        return sorting_.Less(a.text, b.text);
    });
    for (qsizetype i = 0; i < items_.size(); ++i)
        if (current_ >= 0 && items_.at(i).text == current)
            current_ = int(i);
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
