// The ignore-list reader on arbitrary file bytes, and the writer's round trip, with item names
// taken from the bytes.

#include "fuzz/FuzzSupport.h"
#include "store/IgnoreList.h"
#include "store/WholeFile.h"

#include <QSet>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

bool HasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// The text's lines, ending at CR LF, CR or LF.
QSet<QString> Lines(const QString &text)
{
    QSet<QString> lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            line += c;
            continue;
        }
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        lines.insert(line);
        line.clear();
    }
    lines.insert(line);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString file = fuzz::ScratchFile(QStringLiteral("QFDOCIgnore.INI"));
    fuzz::WriteBytes(file, bytes.constData(), size_t(bytes.size()));
    uint32_t seed = 0;
    for (const char c : bytes)
        seed = seed * 31 + uint8_t(c);

    // Names that are lines of the file, near misses of them, and some holding a line break.
    // Never empty: a file name never is, and the empty text stands for every blank line.
    const QString text = qf::DecodeSystem(bytes);
    const QStringList pieces = text.split(QLatin1Char('\n'));
    QStringList names = {QStringLiteral("Welcome.doc")};
    for (qsizetype i = 0; i < pieces.size() && names.size() < 24; ++i) {
        QString piece = pieces.at(i);
        if (piece.endsWith(QLatin1Char('\r')) && (seed >> (i % 32)) & 1)
            piece.chop(1);
        if (!piece.isEmpty())
            names.append(piece);
        if ((seed >> ((i + 7) % 32)) & 1 && !piece.isEmpty())
            names.append(piece.toUpper());
        if (i > 0 && (seed >> ((i + 13) % 32)) & 1)
            names.append(pieces.at(i - 1) + QLatin1Char('\n') + piece);
    }

    QSet<QString> read;
    FUZZ_CHECK(qf::ReadIgnoreList(file, read).ok());
    const QSet<QString> lines = Lines(text);
    for (const QString &name : names)
        FUZZ_CHECK(read.contains(name) == lines.contains(name));

    // Round trip with ticks of the input's choosing.
    QStringList untickedNames;
    QByteArray expected;
    QSet<QString> unticked;
    int unwritable = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if ((seed >> (i % 32)) & 1)
            continue; // ticked
        untickedNames.append(names.at(i));
        if (HasLineBreak(names.at(i))) {
            ++unwritable;
            continue;
        }
        unticked.insert(names.at(i));
        expected += qf::EncodeSystem(names.at(i) + QStringLiteral("\r\n"));
    }
    if (expected.startsWith("\xEF\xBB\xBF")) // a first name's own mark goes behind the file's
        expected.prepend("\xEF\xBB\xBF");
    const QString list = fuzz::ScratchFile(QStringLiteral("QFPDFIgnore.INI"));
    FUZZ_CHECK(qf::WriteIgnoreList(list, untickedNames).list().size() == unwritable);
    FUZZ_CHECK(fuzz::ReadBytes(list) == expected);

    QSet<QString> reread;
    FUZZ_CHECK(qf::ReadIgnoreList(list, reread).ok());
    for (const QString &name : names)
        FUZZ_CHECK(HasLineBreak(name) || reread.contains(name) == unticked.contains(name));
    return 0;
}
