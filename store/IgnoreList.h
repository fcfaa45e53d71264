#pragma once

#include "core/Status.h"
#include "window/Controls.h"

#include <QString>

namespace qf {

// An ignore list names the unticked items of a tick list, one per line, each followed by CR LF,
// in list order, in the system's 8-bit encoding. No item unticked: an empty file.

// Replaces the file's content with the list's unticked items. A name holding a line break cannot be
// one line of the file: it is left out, and named among the problems with the file's own failure.
Problems SaveIgnoreList(const QString &path, const TickList &list);

// Ticks every item, then unticks every item whose text equals a line of the file exactly.
// A file that cannot be read leaves every item ticked and fails.
Status LoadIgnoreList(const QString &path, TickList &list);

// Creates the file empty, or empties it.
Status CreateEmptyFile(const QString &path);

} // namespace qf
