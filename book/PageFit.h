#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QString>

#include <array>
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

// Scales each page of pages that is not of fit's size (within 2 points) onto it: its content, its
// annotations and the source's destinations on it, in proportion, centred, nothing turned into an
// image; its rotation stays. How many pages were scaled.
int FitPages(QPDF &source, const std::vector<QPDFObjectHandle> &pages, const PageFit &fit);

// Scales a page's content by scale about the middle of the box it shows, its size kept: what it
// showed stays in view and nothing else comes into it; its annotations and the source's
// destinations on it (those of all its pages, whose links may lead to it) move with it.
struct PageShrink {
    QPDFObjectHandle page;
    double scale = 1;
};
void ShrinkPages(QPDF &source, const std::vector<QPDFObjectHandle> &pages,
                 const std::vector<PageShrink> &shrinks);

// What a viewer shows of the page in its own space, as x, y, width and height: the crop box
// within the media box.
std::array<double, 4> VisibleBox(QPDFPageObjectHelper &page);

} // namespace qf
