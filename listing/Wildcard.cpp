#include "listing/Wildcard.h"

namespace qf {
namespace {

// Matches one bracketed list at pattern[p] (which is '[') against c. Sets next to the index
// after the closing bracket; an unclosed bracket stands for itself.
bool MatchBracket(const QString &pattern, qsizetype p, QChar c, qsizetype &next)
{
    const qsizetype close = pattern.indexOf(QLatin1Char(']'), p + 1);
    if (close < 0) {
        next = p + 1;
        return c == QLatin1Char('[');
    }
    next = close + 1;
    qsizetype i = p + 1;
    bool negate = false;
    if (i < close && pattern.at(i) == QLatin1Char('!')) {
        negate = true;
        ++i;
    }
    bool found = false;
    for (; i < close; ++i) {
        const QChar low = pattern.at(i);
        if (i + 2 < close && pattern.at(i + 1) == QLatin1Char('-')) {
            const QChar high = pattern.at(i + 2);
            if (c >= low && c <= high)
                found = true;
            i += 2;
        } else if (c == low) {
            found = true;
        }
    }
    return found != negate;
}

// One pattern element at p against c; next receives the index of the following element.
bool MatchOne(const QString &pattern, qsizetype p, QChar c, qsizetype &next)
{
    const QChar pc = pattern.at(p);
    next = p + 1;
    if (pc == QLatin1Char('?'))
        return true;
    if (pc == QLatin1Char('#'))
        return c.isDigit() && c.unicode() < 128;
    if (pc == QLatin1Char('['))
        return MatchBracket(pattern, p, c, next);
    return pc == c;
}

} // namespace

bool WildcardMatch(const QString &text, const QString &pattern)
{
    qsizetype t = 0;
    qsizetype p = 0;
    qsizetype starP = -1; // pattern index after the last '*'
    qsizetype starT = 0;  // text index that '*' is currently taken to reach
    while (t < text.size()) {
        qsizetype next = 0;
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = ++p;
            starT = t;
        } else if (p < pattern.size() && MatchOne(pattern, p, text.at(t), next)) {
            p = next;
            ++t;
        } else if (starP >= 0) {
            p = starP;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace qf
