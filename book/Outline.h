#pragma once

#include <qpdf/QPDF.hh>

#include <QString>

namespace qf {

// Adds a top-level item at the end of the outline (the bookmarks), pointing at the zero-based
// page with the page fitted in the window. qpdf has no writer for outlines, so the items are plain
// dictionaries.
QPDFObjectHandle AddOutlineItem(QPDF &pdf, const QString &title, int page);

} // namespace qf
