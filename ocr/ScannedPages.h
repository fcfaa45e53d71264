#pragma once

#include "core/Status.h"

#include <qpdf/QPDF.hh>

#include <QString>

#include <vector>

namespace qf {

// The pages of pdf, numbered from 1, that draw an image and show no text: a scanner's pages, whose
// words a reader can neither search nor copy. Text in form XObjects counts, so a page recognised
// before is not one of them.
std::vector<int> ScannedPages(QPDF &pdf);

// The same for the PDF at path, with its page count; fails with the reason when it cannot be read.
Status FindScannedPages(const QString &path, std::vector<int> &scanned, int &pageCount);

} // namespace qf
