#include "listing/ListOrder.h"

#include <QCollator>

#include <algorithm>

namespace qf {
namespace {

bool AlphabeticalLess(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

// One collator per thread: a QCollator may not be shared between threads.
const QCollator &NaturalCollator()
{
    thread_local const QCollator collator = [] {
        QCollator made{QLocale(QLocale::English)}; // the C locale has no numeric mode
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}

} // namespace

bool ListOrderLess(const QString &a, const QString &b, ListOrder order)
{
    if (order == ListOrder::Natural) {
        const int natural = NaturalCollator().compare(a, b);
        if (natural != 0)
            return natural < 0;
    }
    return AlphabeticalLess(a, b);
}

void SortNames(QStringList &names, ListOrder order)
{
    std::sort(names.begin(), names.end(),
              [order](const QString &a, const QString &b) { return ListOrderLess(a, b, order); });
}

int SortedInsertRow(int count, const std::function<QString(int)> &textAt, const QString &text,
                    ListOrder order)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (ListOrderLess(text, textAt(mid), order))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

} // namespace qf
