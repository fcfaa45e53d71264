#pragma once

#include "core/Status.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace qf {

// An ignore list names the unticked items of a tick list, one per line, each followed by CR LF,
// in list order, in the system's 8-bit encoding. No item unticked: an empty file.

// Replaces the file's content with the names. A name holding a line break cannot be one line of
// the file: it is left out, and named among the problems with the file's own failure.
Problems WriteIgnoreList(const QString &path, const QStringList &names);

// The names the file holds. A file that cannot be read gives none and fails.
Status ReadIgnoreList(const QString &path, QSet<QString> &names);

// The names the file holds, in its order, in the same format: the PDF list's own order. A file
// that cannot be read, or holds what no list of names does (a NUL byte), gives none and fails.
Status ReadNameList(const QString &path, QStringList &names);

// Creates the file empty, or empties it.
Status CreateEmptyFile(const QString &path);

} // namespace qf
