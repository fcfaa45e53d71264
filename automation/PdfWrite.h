#pragma once

#include "automation/PdfSuite.h"
#include "window/Status.h"

namespace qf {

// Writes the whole document to path through a hidden temporary file beside it that is renamed
// into place: the target is either the complete new file or left as it was. A target reached
// through a symbolic link that leads out of its folder is refused.
//
// Stream data copied from a source that cannot be decoded is written as it stands, so the pages
// show as the source shows them; each such source is named in file.damagedSources. Stream data
// that can no longer be read at all fails the write instead of leaving empty pages.
Status WritePdfAtomically(PdfFile &file, const QString &path);

// What went wrong with a PDF, in words: "is encrypted with a password", ...
QString PdfFailureReason(const std::exception &e);

} // namespace qf
