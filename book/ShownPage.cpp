#include "book/ShownPage.h"

#include <algorithm>
#include <cmath>

namespace qf {

namespace {

QPDFObjectHandle::Rectangle ShownBox(QPDFPageObjectHelper &page)
{
    for (const char *key : {"/CropBox", "/MediaBox"})
        if (QPDFObjectHandle box = page.getAttribute(key, false); box.isRectangle())
            return box.getArrayAsRectangle();
    return {0, 0, 612, 792};
}

} // namespace

ShownPage Shown(QPDFPageObjectHelper &page)
{
    const QPDFObjectHandle::Rectangle box = ShownBox(page);
    const double x0 = std::min(box.llx, box.urx), x1 = std::max(box.llx, box.urx);
    const double y0 = std::min(box.lly, box.ury), y1 = std::max(box.lly, box.ury);
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    const int turns = (((rotate.isInteger() ? int(rotate.getIntValue()) : 0) / 90) % 4 + 4) % 4;
    ShownPage shown;
    const double w = x1 - x0, h = y1 - y0;
    switch (turns) {
    case 0:
        shown = {w, h, {1, 0, 0, 1, x0, y0}};
        break;
    case 1: // turned clockwise: the page's left edge is shown on top
        shown = {h, w, {0, 1, -1, 0, x1, y0}};
        break;
    case 2:
        shown = {w, h, {-1, 0, 0, -1, x1, y1}};
        break;
    default:
        shown = {h, w, {0, -1, 1, 0, x0, y1}};
        break;
    }
    return shown;
}

} // namespace qf

namespace qf {

void SharedSize::Add(double width, double height)
{
    constexpr double kSlack = 2;
    const double across = std::min(width, height), down = std::max(width, height);
    if (!added_) {
        added_ = true;
        width_ = across;
        height_ = down;
    } else if (std::abs(across - width_) > kSlack || std::abs(down - height_) > kSlack) {
        mixed_ = true;
    }
}

void SharedSize::Add(const SharedSize &other)
{
    if (other.mixed_)
        mixed_ = true;
    if (other.added_)
        Add(other.width_, other.height_);
}

} // namespace qf
