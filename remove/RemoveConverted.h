#pragma once

#include "core/Status.h"

#include <QStringList>

namespace qf {

// How the removal takes a PDF away.
enum class Removal {
    Delete, // gone for good
    Trash,  // into the desktop's trash, from where the user can restore it
};

struct RemovalResult {
    QStringList trashed;  // paths, in list order
    QStringList deleted;  // paths, in list order: deleted for good
    bool noTrash = false; // asked to trash, some were deleted because no trash could be had
    Problems problems;    // the PDFs that could not be taken away
};

// Takes away each of the named PDFs of the working folder that has a document of the same base
// name and one of the types (found ignoring case, hidden files not counted; DOC when none are
// given). Into the trash, when asked: a PDF the trash cannot take is deleted only when the folder
// has no trash at all.
RemovalResult RemoveConvertedPdfs(const QString &workingFolder, const QStringList &pdfNames,
                                  const QStringList &documentTypes = QStringList(),
                                  Removal how = Removal::Delete);

// What a removal did, for the status line: "2 PDF files were moved to the trash."
QString RemovalSummary(const RemovalResult &result);

} // namespace qf
