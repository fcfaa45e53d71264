#pragma once

#include "book/PdfWrite.h"
#include "book/SourcePiece.h"
#include "bundle/PageNumberFormat.h"
#include "text/EmbeddedFont.h"

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

// Whether a page's content is scaled down to keep its number clear of it: never, where the
// number would stand on it, or on every page alike.
enum class NumberRoom { None, AsNeeded, Always };

// Prepares a source's pages, before they are written apart, for the stamps NumberPages makes in
// format and font, each page's content given room for its number as room says.
PageChange StampChange(const PageNumberFormat &format, const EmbeddedFont &font,
                       NumberRoom room = NumberRoom::AsNeeded);

} // namespace qf
