#pragma once

#include <qpdf/QPDF.hh>

#include <map>
#include <string>

namespace qf {

// A name tree of the book holding entries, keyed by their UTF-8 names and ordered as qpdf orders
// them: leaves of a few dozen names under one root, made at once. (qpdf's own insertion compares
// names as text each time, which made a book with ten thousand names spend most of its time
// there.)
QPDFObjectHandle MakeNameTree(QPDF &book, const std::map<std::string, QPDFObjectHandle> &entries);

} // namespace qf
