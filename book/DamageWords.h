#pragma once

#include <QString>

#include <string>

namespace qf {

// What qpdf says is wrong with a PDF, in the user's words where they can say it; otherwise qpdf's
// own, which still names what it found.
QString InUserWords(const std::string &detail);
// Whether qpdf's message tells of a repair every viewer makes the same way, so that the source
// shows the same in the book as alone.
bool LosesNothing(const std::string &detail);

} // namespace qf
