#pragma once

#include "book/PdfFile.h"
#include "core/Status.h"

namespace qf {

class WholeFileWrite;

// Writes the whole document to path through a hidden temporary file beside it that is renamed
// into place: the target is either the complete new file or left as it was. A target reached
// through a symbolic link that leads out of its folder is refused.
//
// Stream data copied from a source that cannot be decoded is written as it stands, so the pages
// show as the source shows them; each such source is named in file.damagedSources. Stream data
// that can no longer be read at all fails the write instead of leaving empty pages.
Status WritePdfAtomically(PdfFile &file, const QString &path);
// The same, into the temporary file of a whole-file write that the caller commits.
Status WritePdfInto(PdfFile &file, WholeFileWrite &out);

// How many bytes the document would take written; -1 when it cannot be written.
long long WrittenSize(PdfFile &file);

// Reads now all that the pages of a PDF just read reach, and tries each of its Flate streams once,
// so that copying its pages later reads nothing more and a save need not try them again. May run
// on any thread that holds the file alone.
void PrepareForCopy(PdfFile &file);
// Tries each of a source's Flate streams once; those whose data cannot be decoded go into
// file.undecodable, with what is wrong.
void TryFlateStreams(PdfFile &file, const std::vector<QPDFObjectHandle> &flate);
// Names a source whose stream data cannot be decoded among the book's damaged sources, once.
void NameUndecodable(PdfFile &book, const QString &source, const QString &detail);

// What went wrong with a PDF, in words: "is encrypted with a password", ...
QString PdfFailureReason(const std::exception &e);

} // namespace qf
