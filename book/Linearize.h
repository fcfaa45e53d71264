#pragma once

#include "core/Status.h"

#include <QString>

#include <string>

namespace qf {

class WholeFileWrite;

// A book written whole in one pass, laid out again by qpdf's linearizing writer for fast web view:
// a viewer then shows the first page before the rest has arrived. Its streams are taken as they
// are written, never decoded again.
Status Linearize(const QString &written, bool objectStreams, WholeFileWrite &out);
// The size of the book held in bytes once linearized; -1 when it cannot be.
long long LinearizedSize(const std::string &bytes, bool objectStreams);

} // namespace qf
