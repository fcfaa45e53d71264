#include "listing/ListOrder.h"

namespace qf {

bool ListOrderLess(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

int SortedInsertRow(int count, const std::function<QString(int)> &textAt, const QString &text)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (ListOrderLess(text, textAt(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

} // namespace qf
