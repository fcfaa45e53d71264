// Reading an arbitrary input as a PDF and putting it into a book twice, under two names, as the
// compile does: each copy read, numbered, packed and written as a piece of the book, what it holds
// at document level (links, forms, layers, labels, attachments, structure) kept; for half the
// inputs with an index in front and every page numbered, with and without object streams. All in
// memory; read back, the book has every page.

#include "book/DocumentLevel.h"
#include "book/ObjectWriter.h"
#include "book/PdfFile.h"
#include "book/PdfWrite.h"
#include "book/SourcePiece.h"
#include "bundle/IndexPages.h"
#include "bundle/PageNumbers.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

namespace {

qf::EmbeddedFont *Font()
{
    static std::unique_ptr<qf::EmbeddedFont> font = [] {
        qf::Status fontStatus;
        return qf::EmbeddedFont::Open(qf::kTextFontPath, fontStatus);
    }();
    return font.get();
}

// Two copies of the input, each read, numbered, packed and written as a piece of the book, with
// their pages numbered and an index in front when asked, then the book around them: read back,
// it has both copies' pages, and the index's.
void WritePieces(const QByteArray &bytes, int pages, bool objectStreams, bool bundle)
{
    qf::EmbeddedFont *font = Font();
    bundle = bundle && font;
    std::string written;
    std::shared_ptr<qf::PdfFile> made = qf::NewBook();
    qf::BookWriter writer(*made, objectStreams, [&](std::string_view piece) {
        written += piece;
        return true;
    });
    qf::BookNumbering numbering = writer.Numbering();
    qf::PendingObjects carried;
    qf::DocumentLevel documentLevel;
    int placed = 0;
    for (int copy = 0; copy < 2; ++copy) {
        std::shared_ptr<qf::PdfFile> source;
        FUZZ_CHECK(qf::ReadPdfBytes(QStringLiteral("a.pdf"), bytes, source).ok());
        qf::PieceMaker maker;
        const QString name = copy ? QStringLiteral("b.pdf") : QStringLiteral("a.pdf");
        if (!maker.Prepare(
                *source, name,
                bundle ? qf::StampChange(*qf::PageNumberFormat::Parse("{n}", nullptr), *font)
                       : qf::PageChange())) {
            FUZZ_CHECK(!maker.Problem().isEmpty()); // left out, named
            continue;
        }
        maker.Number(numbering);
        const bool pieceMade = maker.Write();
        FUZZ_CHECK(pieceMade || !maker.Problem().isEmpty());
        if (!pieceMade)
            maker.Withdraw(numbering);
        maker.Pack(carried);
        const std::optional<qf::SourcePiece> piece = maker.Finish();
        FUZZ_CHECK(pieceMade == piece.has_value());
        if (!piece)
            continue;
        FUZZ_CHECK(piece->pages.size() == size_t(pages));
        writer.Add(*piece);
        documentLevel.Add(made->pdf, name, placed, pages, *piece, writer);
        placed += pages;
    }
    if (placed == 0)
        return;
    int front = 0;
    if (bundle) {
        QList<qf::IndexLine> lines;
        for (int start : {0, pages})
            if (start < placed)
                lines.append({QStringLiteral("Κεφάλαιο"), QString::number(start + 1),
                              made->pdf.getAllPages().at(size_t(start))});
        QStringList titles, numbers;
        for (const qf::IndexLine &line : lines) {
            titles.append(line.title);
            numbers.append(line.pageNumber);
        }
        front = qf::IndexPageCount(*font, QStringLiteral("Book"), titles,
                                   qf::IndexNumberWidth(*font, numbers));
        qf::PutIndexInFront(made->pdf, QStringLiteral("Book"), lines, front, false, *font);
    }
    writer.PiecesDone(numbering.next);
    documentLevel.Finish(made->pdf, front, writer.Text()); // what it cannot keep, the compile names
    if (bundle) {
        const qf::StandIns standIns = writer.StandInsFor(numbering.shared);
        qf::NumberPages(made->pdf,
                        *qf::PageNumberFormat::Parse(QStringLiteral("ABC{n:6}"), nullptr), *font,
                        &standIns);
        FUZZ_CHECK(font->Embed(made->pdf).ok());
    }
    FUZZ_CHECK(writer.Finish(numbering.next, std::move(carried), QStringLiteral("book.pdf")).ok());
    QPDF reread;
    reread.setSuppressWarnings(true);
    reread.processMemoryFile("book.pdf", written.data(), written.size());
    FUZZ_CHECK(reread.getAllPages().size() == size_t(placed + front));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    uint32_t seed = 0;
    for (size_t i = 0; i < size; ++i)
        seed = seed * 31 + data[i];

    std::shared_ptr<qf::PdfFile> source;
    const qf::Status opened = qf::ReadPdfBytes(QStringLiteral("a.pdf"), bytes, source);
    if (!opened) {
        FUZZ_CHECK(!opened.reason().isEmpty());
        FUZZ_CHECK(!source);
        return 0;
    }
    const int pages = qf::PageCount(*source);
    FUZZ_CHECK(pages >= 0);
    if (pages > 0)
        WritePieces(bytes, pages, seed & 2, seed & 1);
    return 0;
}
