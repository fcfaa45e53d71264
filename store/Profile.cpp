#include "store/Profile.h"

#include "listing/FolderListing.h"
#include "store/WholeFile.h"

#include <QFile>
#include <QList>
#include <QStringDecoder>

#include <optional>

namespace qf {
namespace {

const QByteArray kCrLf("\r\n");

// One line of the file: its bytes without the line end, and the line end as it stands.
struct Line {
    QByteArray body;
    QByteArray end;
};

QList<Line> SplitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype i = start;
        while (i < bytes.size() && bytes.at(i) != '\r' && bytes.at(i) != '\n')
            ++i;
        Line line{bytes.mid(start, i - start), {}};
        if (i < bytes.size()) {
            const bool crlf =
                bytes.at(i) == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n';
            line.end = bytes.mid(i, crlf ? 2 : 1);
        }
        start = i + line.end.size();
        lines.append(line);
    }
    return lines;
}

// What a line is to the profile: a section header, a key with its value, or neither.
struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;
    QString value;
};

// Only the file's first line can begin with a byte order mark; on any other line those bytes are
// part of a name or value, which must not lose them.
QString LineText(const QList<Line> &lines, qsizetype index)
{
    if (index == 0)
        return DecodeSystem(lines.at(0).body);
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(lines.at(index).body);
}

Parsed ParseLine(const QString &line)
{
    const QString text = line.trimmed();
    Parsed parsed;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        parsed.kind = Parsed::Section;
        parsed.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
    } else if (!text.startsWith(QLatin1Char(';'))) {
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals > 0) {
            parsed.kind = Parsed::Key;
            parsed.name = text.left(equals).trimmed();
            parsed.value = text.mid(equals + 1).trimmed();
        }
    }
    return parsed;
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key stands in the file, or where it would go.
struct Place {
    qsizetype sectionLine = -1;     // the section's header line, -1 when missing
    qsizetype keyLine = -1;         // the key's line, -1 when missing
    qsizetype lastSectionLine = -1; // the section's last line that is not blank
};

Place Locate(const QList<Line> &lines, const QString &section, const QString &key)
{
    Place place;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = LineText(lines, i);
        const Parsed parsed = ParseLine(text);
        if (parsed.kind == Parsed::Section) {
            if (place.sectionLine >= 0)
                break; // only the first section of that name counts
            inSection = SameName(parsed.name, section);
            if (inSection)
                place.sectionLine = place.lastSectionLine = i;
            continue;
        }
        if (!inSection)
            continue;
        if (!text.trimmed().isEmpty())
            place.lastSectionLine = i;
        if (parsed.kind == Parsed::Key && place.keyLine < 0 && SameName(parsed.name, key))
            place.keyLine = i;
    }
    return place;
}

QString StripQuotes(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

QString ReadIniString(const QString &file, const QString &section, const QString &key,
                      const QString &defaultValue)
{
    QByteArray bytes;
    if (!ReadWholeFile(ResolveIgnoringCase(file), bytes))
        return defaultValue.left(kProfileValueLimit);
    const QList<Line> lines = SplitLines(bytes);
    const Place place = Locate(lines, section, key);
    if (place.keyLine < 0)
        return defaultValue.left(kProfileValueLimit);
    return StripQuotes(ParseLine(LineText(lines, place.keyLine)).value).left(kProfileValueLimit);
}

Status WriteIniString(const QString &file, const QString &section, const QString &key,
                      const QString &value)
{
    const QString path = ResolveIgnoringCase(file);
    QByteArray bytes;
    if (QFile::exists(path)) {
        const Status read = ReadWholeFile(path, bytes);
        if (!read)
            return read;
    }
    QList<Line> lines = SplitLines(bytes);
    const Place place = Locate(lines, section, key);
    const QByteArray keyLine = EncodeSystem(key + QLatin1Char('=') + value);

    auto insertAfter = [&lines](qsizetype index, const QByteArray &body) {
        if (index >= 0 && lines[index].end.isEmpty())
            lines[index].end = kCrLf;
        lines.insert(index + 1, Line{body, kCrLf});
    };
    if (place.keyLine >= 0) {
        // Keep the key's own spelling and the line's own ending.
        const QString existing = ParseLine(LineText(lines, place.keyLine)).name;
        lines[place.keyLine].body = EncodeSystem(existing + QLatin1Char('=') + value);
    } else if (place.sectionLine >= 0) {
        insertAfter(place.lastSectionLine, keyLine);
    } else {
        insertAfter(lines.size() - 1, EncodeSystem(QLatin1Char('[') + section + QLatin1Char(']')));
        insertAfter(lines.size() - 1, keyLine);
    }

    QByteArray out;
    for (const Line &line : lines)
        out += line.body + line.end;
    return WriteWholeFile(path, out);
}

} // namespace qf
