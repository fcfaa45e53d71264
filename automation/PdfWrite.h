#pragma once

#include "automation/PdfSuite.h"
#include "window/Status.h"

namespace qf {

// Writes the whole document to path through a temporary file beside it that is renamed into
// place: the target is either the complete new file or left as it was. Stream data that can no
// longer be read fails the write instead of leaving empty pages.
Status WritePdfAtomically(PdfFile &file, const QString &path);

// What went wrong with a PDF, in words: "is encrypted with a password", ...
QString PdfFailureReason(const std::exception &e);

} // namespace qf
