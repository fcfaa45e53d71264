#pragma once

#include "core/BookChoices.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

namespace qf {

// How the tick lists, and so the conversion and the book, are ordered.
enum class ListOrder {
    // Alphabetical ignoring case; names that differ only in case (possible on this platform)
    // are ordered by their exact text, so the order never depends on the folder's enumeration.
    Alphabetical,
    // Runs of digits by their value (2 before 10, v1.9 before v1.10), the rest ignoring case;
    // ties fall back to the alphabetical order, so the order is total and stable.
    Natural,
};

// The order the folder's choices ask for.
inline ListOrder OrderOf(const BookChoices &choices)
{
    return choices.naturalOrder ? ListOrder::Natural : ListOrder::Alphabetical;
}

bool ListOrderLess(const QString &a, const QString &b, ListOrder order = ListOrder::Alphabetical);

// Whether the natural order puts a before b for the value of the numbers in them alone, where
// their characters otherwise put b first ("Exhibit 2" before "Exhibit 10"); punctuation that the
// two orders weigh differently is not such a reason.
bool NumbersPutFirst(const QString &a, const QString &b);

// A list's order: the names of an order of the folder's own first, in that order, then every
// other name in the list order.
class ListSorting {
public:
    ListSorting(ListOrder order = ListOrder::Alphabetical, const QStringList &own = {});
    bool Less(const QString &a, const QString &b) const;
    ListOrder order() const { return order_; }
    const QStringList &own() const { return own_; }
    bool operator==(const ListSorting &other) const
    {
        return order_ == other.order_ && own_ == other.own_;
    }

private:
    ListOrder order_;
    QStringList own_;
    QHash<QString, qsizetype> place_; // in own_
};

// The names sorted.
void SortNames(QStringList &names, const ListSorting &sorting);

// The row at which text goes into a sorted list of count items, after any equal item.
int SortedInsertRow(int count, const std::function<QString(int)> &textAt, const QString &text,
                    const ListSorting &sorting = ListSorting());

} // namespace qf
