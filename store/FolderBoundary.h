#pragma once

#include "core/Status.h"

#include <QString>

namespace qf {

// Quirefold writes only inside its working folder. A path there may pass through symbolic links;
// those that stay inside are followed, one that leads out is refused and named with its target.

// Where a write to path really lands: the file that following the links of path within boundary
// reaches (it need not exist yet). path is boundary, "/" and a name (or a few names); a path
// that does not start with boundary is held to its own folder. Fails, naming the link and where it
// points, when a link leads outside boundary or goes round in a loop.
Status ResolveInsideFolder(const QString &boundary, const QString &path, QString *target);

// The same check, for a caller that acts on path itself (making a folder, for instance).
Status CheckInsideFolder(const QString &boundary, const QString &path);

} // namespace qf
