#pragma once

#include "core/Status.h"

#include <QStringList>

namespace qf {

struct RemovalResult {
    QStringList deleted; // paths, in list order
    Problems problems;   // the PDFs that could not be deleted
};

// Deletes each of the named PDFs of the working folder that has a document of the same base name
// and the extension .DOC (found ignoring case, hidden files not counted).
RemovalResult RemoveConvertedPdfs(const QString &workingFolder, const QStringList &pdfNames);

} // namespace qf
