#pragma once

#include "core/Status.h"

#include <QStringList>

namespace qf {

struct RemovalResult {
    QStringList deleted; // paths, in list order
    Problems problems;   // the PDFs that could not be deleted
};

// Deletes each of the named PDFs of the working folder that has a document of the same base name
// and one of the types (found ignoring case, hidden files not counted; DOC when none are given).
RemovalResult RemoveConvertedPdfs(const QString &workingFolder, const QStringList &pdfNames,
                                  const QStringList &documentTypes = QStringList());

} // namespace qf
