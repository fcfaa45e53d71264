#pragma once

#include "core/Status.h"
#include "listing/FolderListing.h"
#include "window/Controls.h"

namespace qf {

// Adds to list every file directly in folder that matches one of the patterns (see
// ListFolderFiles). Does not clear the list.
Status ListFolderFiles(const QString &folder, TickList &list, const QStringList &patterns);

// Clears the list (unless told not to), lists the folder into it and writes its count line,
// also when the listing failed. Documents are those of the types given (DOC when none).
Status RefillList(const QString &folder, TickList &list, TextBox &countLine, FileKind kind,
                  bool clearFirst = true, const QStringList &documentTypes = QStringList());

} // namespace qf
