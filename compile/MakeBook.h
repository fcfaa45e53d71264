#pragma once

#include "compile/CompileBook.h"

#include <qpdf/QPDF.hh>

#include <memory>

namespace qf {

struct PdfFile;
class KeptSources;
class WholeFileWrite;

// Counts the pages of a source as it was read; a damaged file whose pages are all lost is not an
// empty one.
Status CountPages(PdfFile *source, Status read, const QString &path, int &pages);
// The title a PDF gives itself in its document information, if any.
QString OwnTitle(QPDF &pdf);

// Object streams unless every source is older than PDF 1.5, as their headers say.
bool ObjectStreamsFor(const CompileRequest &request, const QStringList &paths);
// Writes the book of request's PDFs, read from paths, into target, which is not yet put in place.
// False when there is nothing to put in place: the user stopped, no page went in, or the write
// failed (each said in the result). kept: the sources as taken before, none read again.
bool WriteBook(const CompileRequest &request, const QStringList &paths, WholeFileWrite &target,
               JobObserver &observer, CompileResult &result, KeptSources *kept = nullptr);
// The failure of a book at path that could not be finished, for reason.
Status BookNotFinished(const QString &path, const QString &reason);
// The book's size as written, counted, not written; -1 when no page went in.
long long MeasureBook(const CompileRequest &request, const QStringList &paths, BookPlan *plan,
                      KeptSources *kept = nullptr);

} // namespace qf
