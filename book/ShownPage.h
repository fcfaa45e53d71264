#pragma once

#include <qpdf/QPDFPageObjectHelper.hh>

namespace qf {

// The page as a viewer shows it: its shown box's size, and the matrix from a space whose origin
// is the shown box's bottom left and whose axes are as the page is shown, into the page's own
// space. The shown box is the crop box, else the media box; a page with neither as four numbers
// (a damaged one) is taken as readers take it, US Letter.
struct ShownPage {
    double width = 0, height = 0;
    double matrix[6] = {1, 0, 0, 1, 0, 0};
};

ShownPage Shown(QPDFPageObjectHelper &page);

} // namespace qf

namespace qf {

// The size every page added so far shares, upright (the shorter side across): the paper the
// pages the book makes itself take. Pages within 2 points of it, either way round, are of it.
class SharedSize {
public:
    void Add(double width, double height);
    void Add(const SharedSize &other);
    // Whether there is one: some page added, and none of another size.
    bool Shared() const { return added_ && !mixed_; }
    double Width() const { return width_; }
    double Height() const { return height_; }

private:
    bool added_ = false, mixed_ = false;
    double width_ = 0, height_ = 0;
};

} // namespace qf
