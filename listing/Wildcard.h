#pragma once

#include <QString>

namespace qf {

// Whole-text wildcard match, comparing characters by code (case counts): "*" any run,
// "?" one character, "#" one decimal digit, "[abc]" / "[a-z]" / "[!abc]" one character of
// (or not of) the list. Any other character stands for itself.
bool WildcardMatch(const QString &text, const QString &pattern);

} // namespace qf
