#pragma once

#include <qpdf/QPDF.hh>

namespace qf {

// Makes the appearances of a source's fields when its form asks viewers to draw them anew
// (/NeedAppearances), so that the book need not ask it of every source's fields. qpdf draws a
// field's text; each drawn anew also gets the background and border its widget asks for, as a
// viewer draws them.
void MakeFieldAppearances(QPDF &source);

} // namespace qf
