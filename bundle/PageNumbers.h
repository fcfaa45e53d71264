#pragma once

#include "bundle/EmbeddedFont.h"
#include "bundle/PageNumberFormat.h"

#include <qpdf/QPDF.hh>

namespace qf {

// Stamps every page of the book with its number at the bottom right, as text, upright as the page
// is shown whatever its rotation, above its own content; and gives the book page labels that read
// as the stamps do.
void NumberPages(QPDF &book, const PageNumberFormat &format, EmbeddedFont &font);

} // namespace qf
