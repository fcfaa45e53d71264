#pragma once

#include <QString>

#include <functional>

namespace qf {

// Order of the tick lists: alphabetical ignoring case; names that differ only in case (possible
// on this platform) are ordered by their exact text, so the order never depends on the folder's
// enumeration order.
bool ListOrderLess(const QString &a, const QString &b);

// The row at which text goes into a sorted list of count items, after any equal item.
int SortedInsertRow(int count, const std::function<QString(int)> &textAt, const QString &text);

} // namespace qf
