#include "bundle/NumberRoom.h"

#include <algorithm>
#include <cmath>

namespace qf {
namespace {

// Where the number's glyphs reach, from its baseline, in points at the stamps' size; and the room
// kept around them, their white outline included.
constexpr double kBaseline = 20, kBelow = 3, kAbove = 8, kRight = 28, kMargin = 3;

// The box through the inverse of the shown page's matrix: in the space of the page as shown.
MarkBox InShownSpace(const ShownPage &shown, const MarkBox &box)
{
    const double *m = shown.matrix;
    const double det = m[0] * m[3] - m[1] * m[2];
    MarkBox out{1e300, 1e300, -1e300, -1e300};
    if (det == 0)
        return out;
    for (const auto &[x, y] :
         {std::pair{box.x0, box.y0}, {box.x0, box.y1}, {box.x1, box.y0}, {box.x1, box.y1}}) {
        const double px = x - m[4], py = y - m[5];
        const double sx = (m[3] * px - m[2] * py) / det, sy = (-m[1] * px + m[0] * py) / det;
        out.x0 = std::min(out.x0, sx);
        out.y0 = std::min(out.y0, sy);
        out.x1 = std::max(out.x1, sx);
        out.y1 = std::max(out.y1, sy);
    }
    return out;
}

// The largest scale about (cx, cy) at which box stands clear of place: moved up over it, or left
// of it.
double ClearScale(const MarkBox &box, const NumberPlace &place, double cx, double cy)
{
    double scale = 0;
    if (box.y0 < cy && place.y1 < cy)
        scale = std::max(scale, (cy - place.y1) / (cy - box.y0));
    if (box.x1 > cx && place.x0 > cx)
        scale = std::max(scale, (place.x0 - cx) / (box.x1 - cx));
    return std::clamp(scale, 0.0, 1.0);
}

} // namespace

NumberPlace PlaceOfNumber(double width, double widest)
{
    // As the stamp sets it: kept on a page too narrow for it.
    const double left = std::max(2.0, width - kRight - widest);
    return {left - kMargin, kBaseline - kBelow - kMargin, left + widest + kMargin,
            kBaseline + kAbove + kMargin};
}

double RoomScale(const ShownPage &shown, const std::vector<MarkBox> &marks,
                 const NumberPlace &place, bool always)
{
    const double cx = shown.width / 2, cy = shown.height / 2;
    if (always)
        return ClearScale({0, 0, shown.width, shown.height}, place, cx, cy);
    double scale = 1;
    for (const MarkBox &mark : marks) {
        const MarkBox box = InShownSpace(shown, mark);
        if (box.x1 <= place.x0 || box.x0 >= place.x1 || box.y1 <= place.y0 || box.y0 >= place.y1)
            continue;
        scale = std::min(scale, ClearScale(box, place, cx, cy));
    }
    // Kept to what the content says, so that like pages share it.
    return std::floor(scale * 10000) / 10000;
}

} // namespace qf
