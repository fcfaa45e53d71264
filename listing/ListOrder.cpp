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

// The natural collator without its numeric mode: how it orders names apart from numbers.
const QCollator &PlainCollator()
{
    thread_local const QCollator collator = [] {
        QCollator made{QLocale(QLocale::English)};
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}

} // namespace

bool NumbersPutFirst(const QString &a, const QString &b)
{
    return NaturalCollator().compare(a, b) < 0 && PlainCollator().compare(a, b) > 0;
}

bool ListOrderLess(const QString &a, const QString &b, ListOrder order)
{
    if (order == ListOrder::Natural) {
        const int natural = NaturalCollator().compare(a, b);
        if (natural != 0)
            return natural < 0;
    }
    return AlphabeticalLess(a, b);
}

ListSorting::ListSorting(ListOrder order, const QStringList &own) : order_(order), own_(own)
{
    for (qsizetype i = 0; i < own_.size(); ++i)
        place_.insert(own_.at(i), i); // a name twice keeps its last place
}

bool ListSorting::Less(const QString &a, const QString &b) const
{
    if (!place_.isEmpty()) {
        const qsizetype none = own_.size();
        const qsizetype placeA = place_.value(a, none), placeB = place_.value(b, none);
        if (placeA != placeB)
            return placeA < placeB;
    }
    return ListOrderLess(a, b, order_);
}

void SortNames(QStringList &names, const ListSorting &sorting)
{
    std::sort(names.begin(), names.end(),
              [&sorting](const QString &a, const QString &b) { return sorting.Less(a, b); });
}

int SortedInsertRow(int count, const std::function<QString(int)> &textAt, const QString &text,
                    const ListSorting &sorting)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (sorting.Less(text, textAt(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

} // namespace qf
