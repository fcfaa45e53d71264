#pragma once

#include "book/PdfWrite.h"
#include "book/SourcePiece.h"
#include "bundle/EmbeddedFont.h"
#include "bundle/PageNumberFormat.h"

#include <qpdf/QPDF.hh>

namespace qf {

// Stamps every page of the book with its number at the bottom right, as text, upright as the page
// is shown whatever its rotation, above its own content; and gives the book page labels that read
// as the stamps do. Pages that stand in for pages written apart, changed by StampChange, get only
// the stamps' parts they refer to.
// The first page is numbered firstNumber, in a set of numberedTotal pages (0: the book's own), as
// a volume of a larger book is.
void NumberPages(QPDF &book, const PageNumberFormat &format, EmbeddedFont &font,
                 const StandIns *standIns = nullptr, int firstNumber = 1, int numberedTotal = 0);

// Prepares a source's pages, before they are written apart, for the stamps NumberPages makes.
PageChange StampChange();

} // namespace qf
