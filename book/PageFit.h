#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QString>

#include <array>
#include <map>
#include <vector>

namespace qf {

// A size every page of the book takes, as a page is shown upright: A4 or Letter, portrait; a
// landscape page takes its landscape form. Zero: pages as they are.
struct PageFit {
    double width = 0, height = 0; // points

    explicit operator bool() const { return width > 0 && height > 0; }
    // "A4", "Letter" (any case); none for anything else.
    static PageFit Named(const QString &name);
    // "A4" or "Letter"; empty for none.
    QString Name() const;
};

// x' = scale x + dx, y' = scale y + dy: where a point of a page lands once the page is scaled.
struct PageMove {
    double scale = 1, dx = 0, dy = 0;
    double X(double x) const { return scale * x + dx; }
    double Y(double y) const { return scale * y + dy; }
    // This move, then next.
    PageMove Then(const PageMove &next) const
    {
        return {next.scale * scale, next.scale * dx + next.dx, next.scale * dy + next.dy};
    }
};
// The moves of a source's pages, by their places in it: links from other PDFs land by them.
using PageMoves = std::map<int, PageMove>;

// Moves the spot a destination [page /XYZ left top zoom] (/FitH top, /FitR ...) names on its page.
void MoveSpot(QPDFObjectHandle dest, const PageMove &move);

// Scales each page of pages that is not of fit's size (within 2 points) onto it: its content, its
// annotations and the source's destinations on it, in proportion, centred, nothing turned into an
// image; its rotation stays. How many pages were scaled; moves, when given, gets their moves.
int FitPages(QPDF &source, const std::vector<QPDFObjectHandle> &pages, const PageFit &fit,
             PageMoves *moves = nullptr);

// Scales a page's content by scale about the middle of the box it shows, its size kept: what it
// showed stays in view and nothing else comes into it; its annotations and the source's
// destinations on it (those of all its pages, whose links may lead to it) move with it.
struct PageShrink {
    QPDFObjectHandle page;
    double scale = 1;
};
void ShrinkPages(QPDF &source, const std::vector<QPDFObjectHandle> &pages,
                 const std::vector<PageShrink> &shrinks, PageMoves *moves = nullptr);

// What a viewer shows of the page in its own space, as x, y, width and height: the crop box
// within the media box.
std::array<double, 4> VisibleBox(QPDFPageObjectHelper &page);

} // namespace qf
