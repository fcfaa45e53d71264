// The ignore-list reader on arbitrary file bytes, and the writer's round trip, with item names
// taken from the bytes.

#include "fuzz/FuzzSupport.h"
#include "store/IgnoreList.h"
#include "store/WholeFile.h"
#include "window/MemoryWindow.h"

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

void Fill(qf::MemoryTickList &list, const QStringList &names)
{
    for (const QString &name : names)
        list.AddItem(name);
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

    qf::MemoryTickList loaded;
    Fill(loaded, names);
    FUZZ_CHECK(qf::LoadIgnoreList(file, loaded).ok());
    const QSet<QString> lines = Lines(text);
    for (int i = 0; i < loaded.ListCount(); ++i)
        FUZZ_CHECK(loaded.Selected(i) != lines.contains(loaded.ItemText(i)));

    // Round trip with ticks of the input's choosing.
    qf::MemoryTickList saved;
    Fill(saved, names);
    QByteArray expected;
    QSet<QString> unticked;
    int unwritable = 0;
    for (int i = 0; i < saved.ListCount(); ++i) {
        const bool ticked = (seed >> (i % 32)) & 1;
        saved.SetSelected(i, ticked);
        if (ticked)
            continue;
        if (HasLineBreak(saved.ItemText(i))) {
            ++unwritable;
            continue;
        }
        unticked.insert(saved.ItemText(i));
        expected += qf::EncodeSystem(saved.ItemText(i) + QStringLiteral("\r\n"));
    }
    if (expected.startsWith("\xEF\xBB\xBF")) // a first name's own mark goes behind the file's
        expected.prepend("\xEF\xBB\xBF");
    const QString list = fuzz::ScratchFile(QStringLiteral("QFPDFIgnore.INI"));
    FUZZ_CHECK(qf::SaveIgnoreList(list, saved).list().size() == unwritable);
    FUZZ_CHECK(fuzz::ReadBytes(list) == expected);

    qf::MemoryTickList reloaded;
    Fill(reloaded, names);
    FUZZ_CHECK(qf::LoadIgnoreList(list, reloaded).ok());
    for (int i = 0; i < reloaded.ListCount(); ++i)
        FUZZ_CHECK(reloaded.Selected(i) != unticked.contains(reloaded.ItemText(i)));
    return 0;
}
