// The profile reader and writer on arbitrary file bytes, with names taken from the bytes too.

#include "fuzz/FuzzSupport.h"
#include "store/Profile.h"
#include "store/WholeFile.h"

#include <QList>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

struct Line {
    QByteArray body;
    QByteArray end;
    bool operator==(const Line &other) const { return body == other.body && end == other.end; }
};

// Lines end at CR LF, CR or LF.
QList<Line> Lines(const QByteArray &bytes)
{
    QList<Line> lines;
    Line line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            line.body += c;
            continue;
        }
        line.end = (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                       ? QByteArray("\r\n")
                       : QByteArray(1, c);
        i += line.end.size() - 1;
        lines.append(line);
        line = Line();
    }
    if (!line.body.isEmpty())
        lines.append(line);
    return lines;
}

// after is before with one line changed in place (its ending kept) or one or two lines added in
// one place; the unterminated last line may gain the CR LF that separates it from what follows.
bool OtherLinesKept(const QList<Line> &before, const QList<Line> &after)
{
    const qsizetype n = before.size();
    const qsizetype m = after.size();
    if (m < n || m > n + 2)
        return false;
    qsizetype p = 0;
    while (p < n && before.at(p) == after.at(p))
        ++p;
    if (p == n - 1 && m > n && before.at(p).end.isEmpty() &&
        after.at(p).body == before.at(p).body && after.at(p).end == "\r\n")
        ++p;
    qsizetype s = 0;
    while (s < n - p && before.at(n - 1 - s) == after.at(m - 1 - s))
        ++s;
    if (m > n)
        return p + s == n;
    return p + s == n || (p + s == n - 1 && before.at(p).end == after.at(p).end);
}

bool SingleLine(const QString &text)
{
    return !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'));
}

// Names the file can hold as they are: no surrounding blanks, nothing that ends a name.
bool PlainSection(const QString &name)
{
    return SingleLine(name) && name == name.trimmed() && !name.contains(QLatin1Char(']'));
}

bool PlainKey(const QString &name)
{
    return SingleLine(name) && !name.isEmpty() && name == name.trimmed() &&
           !name.contains(QLatin1Char('=')) && !name.startsWith(QLatin1Char('[')) &&
           !name.startsWith(QLatin1Char(';'));
}

// A value that reads back as written: not cut, trimmed or unquoted.
bool PlainValue(const QString &value)
{
    if (!SingleLine(value) || value != value.trimmed() || value.size() > qf::kProfileValueLimit)
        return false;
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        return false;
    return true;
}

// Pieces of the text between the characters that structure a profile, so that names often meet
// the file's own sections and keys; a few fixed names besides.
QStringList Names(const QString &text)
{
    QStringList names = {QStringLiteral("Settings"), QStringLiteral("SlipSheet"), QString()};
    QString piece;
    for (const QChar c : text) {
        if (QStringLiteral("\r\n[]=;").contains(c)) {
            if (!piece.trimmed().isEmpty() && names.size() < 24)
                names.append(piece.trimmed());
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.trimmed().isEmpty())
        names.append(piece.trimmed());
    return names;
}

struct Pair {
    QString section;
    QString key;
    bool operator==(const Pair &other) const
    {
        return other.section.compare(section, Qt::CaseInsensitive) == 0 &&
               other.key.compare(key, Qt::CaseInsensitive) == 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString file = fuzz::ScratchFile(QStringLiteral("Quirefold.INI"));
    fuzz::WriteBytes(file, bytes.constData(), size_t(bytes.size()));

    const QStringList names = Names(qf::DecodeSystem(bytes));
    uint32_t seed = 0;
    for (const char c : bytes)
        seed = seed * 31 + uint8_t(c);
    auto name = [&](uint32_t i) {
        return names.at(qsizetype((seed + i) % uint32_t(names.size())));
    };

    const QString absent = QStringLiteral("\x01absent");
    QList<Pair> pairs;
    QStringList values;
    for (uint32_t i = 0; i < 4; ++i) {
        pairs.append({name(2 * i), name(2 * i + 1)});
        values.append(qf::ReadIniString(file, pairs.last().section, pairs.last().key, absent));
        FUZZ_CHECK(values.last().size() <= qf::kProfileValueLimit);
    }

    const Pair written = pairs.at(qsizetype(seed % 4));
    const QString value = name(seed % 7 + 3);
    const qf::Status status = qf::WriteIniString(file, written.section, written.key, value);
    FUZZ_CHECK(status.ok());

    const QByteArray after = fuzz::ReadBytes(file);
    if (SingleLine(written.section) && SingleLine(written.key) && SingleLine(value))
        FUZZ_CHECK(OtherLinesKept(Lines(bytes), Lines(after)));
    if (!PlainSection(written.section) || !PlainKey(written.key) || !SingleLine(value))
        return 0;
    if (PlainValue(value))
        FUZZ_CHECK(qf::ReadIniString(file, written.section, written.key, absent) == value);
    for (qsizetype i = 0; i < pairs.size(); ++i)
        if (!(pairs.at(i) == written))
            FUZZ_CHECK(qf::ReadIniString(file, pairs.at(i).section, pairs.at(i).key, absent) ==
                       values.at(i));
    return 0;
}
