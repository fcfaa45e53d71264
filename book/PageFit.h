#pragma once

#include <qpdf/QPDF.hh>

#include <QString>

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

} // namespace qf
