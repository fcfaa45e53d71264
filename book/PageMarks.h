#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

namespace qf {

// A box in the page's own space.
struct MarkBox {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Where the page's own marks lie, as boxes that hold them: its text (invisible text aside), its
// lines and fills (white fills aside, as a page's background is one), its images and shadings,
// each within its clip, and its annotations that draw something; only what lies within the
// box the page shows. The text's extent is reckoned from its fonts' widths, so it errs on the
// large side. Content that cannot be read counts as covering the whole page.
std::vector<MarkBox> PageMarks(QPDFObjectHandle page);

} // namespace qf
