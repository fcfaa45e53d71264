#pragma once

#include "book/PageMarks.h"
#include "book/ShownPage.h"

#include <vector>

namespace qf {

// Where a page's number stands, on the page as shown: from its left edge to its right, and from
// its bottom to its top, with a margin that keeps it clear of what is near.
struct NumberPlace {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// The place of a number widest points wide on a page shown width wide.
NumberPlace PlaceOfNumber(double width, double widest);

// How much the page's content is to be scaled about the middle of its shown box so that none of
// marks (in the page's own space) stands in place: 1 when none does already. Always: as if the
// page were covered, the same for every page of a size, for a uniform bundle.
double RoomScale(const ShownPage &shown, const std::vector<MarkBox> &marks,
                 const NumberPlace &place, bool always);

} // namespace qf
