#pragma once

#include <qpdf/QPDFObjectHandle.hh>

namespace qf {

// Puts the page's content streams between before and after. What is not a stream there (a
// damaged file's) would stop every reader of the page, so it is left out.
void PutContentBetween(QPDFObjectHandle page, const QPDFObjectHandle &before,
                       const QPDFObjectHandle &after);

// The page's own forms and images by name (its resources' /XObject), made when it has none.
QPDFObjectHandle PageForms(QPDFObjectHandle page);

} // namespace qf
