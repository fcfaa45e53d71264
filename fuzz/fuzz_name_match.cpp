// The name matcher against a plain dynamic-programming matcher, on a pattern and a name taken
// from the input.

#include "fuzz/FuzzSupport.h"
#include "listing/Wildcard.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// One element of a pattern, as the matcher's contract describes it.
struct Element {
    enum Kind { Star, Any, Digit, List, Char } kind = Char;
    QChar c;
    QString list;
    bool negate = false;

    bool Matches(QChar t) const
    {
        switch (kind) {
        case Any:
            return true;
        case Digit:
            return t >= QLatin1Char('0') && t <= QLatin1Char('9');
        case Char:
            return t == c;
        case List:
            break;
        case Star:
            return false;
        }
        bool found = false;
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i + 2 < list.size() && list.at(i + 1) == QLatin1Char('-')) {
                found = found || (t >= list.at(i) && t <= list.at(i + 2));
                i += 2;
            } else {
                found = found || t == list.at(i);
            }
        }
        return found != negate;
    }
};

QList<Element> Parse(const QString &pattern)
{
    QList<Element> elements;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        Element e;
        const QChar p = pattern.at(i);
        const qsizetype close =
            p == QLatin1Char('[') ? pattern.indexOf(QLatin1Char(']'), i + 1) : qsizetype(-1);
        if (p == QLatin1Char('*')) {
            e.kind = Element::Star;
        } else if (p == QLatin1Char('?')) {
            e.kind = Element::Any;
        } else if (p == QLatin1Char('#')) {
            e.kind = Element::Digit;
        } else if (close > i) {
            e.kind = Element::List;
            e.list = pattern.mid(i + 1, close - i - 1);
            if (e.list.startsWith(QLatin1Char('!'))) {
                e.negate = true;
                e.list.remove(0, 1);
            }
            i = close;
        } else {
            e.c = p;
        }
        elements.append(e);
    }
    return elements;
}

bool Reference(const QString &text, const QString &pattern)
{
    const QList<Element> elements = Parse(pattern);
    const size_t n = size_t(text.size());
    const size_t m = size_t(elements.size());
    // rest[j * (n + 1) + i]: elements from j on match the text from i on.
    std::vector<char> rest((m + 1) * (n + 1), 0);
    auto at = [n, &rest](size_t j, size_t i) -> char & { return rest[j * (n + 1) + i]; };
    at(m, n) = 1;
    for (size_t j = m; j-- > 0;) {
        const Element &e = elements.at(qsizetype(j));
        for (size_t i = n + 1; i-- > 0;) {
            if (e.kind == Element::Star)
                at(j, i) = at(j + 1, i) || (i < n && at(j, i + 1));
            else
                at(j, i) = i < n && e.Matches(text.at(qsizetype(i))) && at(j + 1, i + 1);
        }
    }
    return at(0, 0);
}

// A pattern that only the text itself matches.
QString Literal(const QString &text)
{
    QString pattern;
    for (const QChar c : text) {
        if (QStringLiteral("*?#[").contains(c))
            pattern += QLatin1Char('[') + c + QLatin1Char(']');
        else
            pattern += c;
    }
    return pattern;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Longer inputs find nothing new and slow the quadratic reference down.
    if (size < 1 || size > 256)
        return 0;
    // Even first byte: UTF-8 text; odd: raw UTF-16 code units, lone surrogates and all.
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString input =
        data[0] % 2 == 0 ? QString::fromUtf8(rest)
                         : QString::fromUtf16(reinterpret_cast<const char16_t *>(rest.constData()),
                                              rest.size() / 2);
    // Pattern, then the name after the first NUL; without one the pattern meets itself.
    const qsizetype split = input.indexOf(QChar(0));
    const QString pattern = split < 0 ? input : input.left(split);
    const QString name = split < 0 ? input : input.mid(split + 1);

    FUZZ_CHECK(qf::WildcardMatch(name, pattern) == Reference(name, pattern));
    FUZZ_CHECK(qf::WildcardMatch(name, Literal(name)));
    FUZZ_CHECK(qf::WildcardMatch(name, QStringLiteral("*")));
    FUZZ_CHECK(qf::WildcardMatch(name, QString(name.size(), QLatin1Char('?'))));
    FUZZ_CHECK(!qf::WildcardMatch(name, QString(name.size() + 1, QLatin1Char('?'))));
    return 0;
}
