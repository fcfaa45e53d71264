// Reading an arbitrary input as a PDF, putting its pages into a book, keeping what it holds at
// document level (links, forms, layers, labels, attachments, structure) for it and for a second
// copy of it under another name, for half the inputs with an index in front and every page
// numbered, and writing the book, plain and with its objects packed. And, when the input stands
// alone, a book of two copies written as pieces on their own, as the compile streams it. All in
// memory.

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

// Writes the book to memory, with and without object streams, and reads it back: every page is
// there again.
void WriteAndReread(QPDF &book)
{
    for (const bool objectStreams : {false, true}) {
        std::string written;
        try {
            FUZZ_CHECK(qf::WriteObjects(book, {PDFVersion(1, 7), objectStreams, {}},
                                        [&](std::string_view piece) {
                                            written += piece;
                                            return true;
                                        }));
        } catch (const std::exception &) {
            return; // stream data that cannot be read: the compile's writer names it
        }
        QPDF reread;
        reread.setSuppressWarnings(true);
        reread.processMemoryFile("book.pdf", written.data(), written.size());
        FUZZ_CHECK(reread.getAllPages().size() == book.getAllPages().size());
    }
}

qf::EmbeddedFont *Font()
{
    static std::unique_ptr<qf::EmbeddedFont> font = [] {
        qf::Status fontStatus;
        return qf::EmbeddedFont::Open(qf::kTextFontPath, fontStatus);
    }();
    return font.get();
}

// Two copies of the input, each read, numbered, packed and written as a piece apart from the
// book, with their pages numbered when asked and their tags in the book's tree, then the book
// around them: read back, it has both copies' pages.
void WritePieces(const QByteArray &bytes, int pages, bool objectStreams, bool numbered)
{
    numbered = numbered && Font();
    std::string written;
    std::shared_ptr<qf::PdfFile> made = qf::NewBook();
    qf::BookWriter writer(*made, objectStreams, [&](std::string_view piece) {
        written += piece;
        return true;
    });
    qf::BookNumbering numbering = writer.Numbering();
    qf::PendingObjects carried;
    qf::DocumentLevel documentLevel;
    for (int copy = 0; copy < 2; ++copy) {
        std::shared_ptr<qf::PdfFile> source;
        FUZZ_CHECK(qf::ReadPdfBytes(QStringLiteral("a.pdf"), bytes, source).ok());
        qf::PieceMaker maker;
        const QString name = copy ? QStringLiteral("b.pdf") : QStringLiteral("a.pdf");
        if (!maker.Prepare(*source, name, numbered ? qf::StampChange() : qf::PageChange()))
            return; // it goes into the book whole
        if (!maker.Number(numbering))
            return;
        const bool pieceMade = maker.Write();
        maker.Pack(carried);
        const std::optional<qf::SourcePiece> piece = maker.Finish();
        FUZZ_CHECK(pieceMade == piece.has_value());
        if (!piece)
            return;
        FUZZ_CHECK(piece->pages.size() == size_t(pages));
        writer.Add(*piece);
        documentLevel.AddAlone(made->pdf, name, copy * pages, pages, *piece, writer);
    }
    documentLevel.Finish(made->pdf); // what it cannot keep, the compile names
    if (numbered) {
        const qf::StandIns standIns = writer.StandInsFor(numbering.shared);
        qf::NumberPages(made->pdf, *qf::PageNumberFormat::Parse(QStringLiteral("{n}"), nullptr),
                        *Font(), &standIns);
        FUZZ_CHECK(Font()->Embed(made->pdf).ok());
    }
    FUZZ_CHECK(writer.Finish(numbering.next, std::move(carried), QStringLiteral("book.pdf")).ok());
    QPDF reread;
    reread.setSuppressWarnings(true);
    reread.processMemoryFile("book.pdf", written.data(), written.size());
    FUZZ_CHECK(reread.getAllPages().size() == size_t(2 * pages));
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
    std::shared_ptr<qf::PdfFile> copy;
    FUZZ_CHECK(qf::ReadPdfBytes(QStringLiteral("b.pdf"), bytes, copy).ok());

    // A book of the input twice, under two names, as the compile makes it. Each source goes in
    // whole or not at all, whatever its pages hold.
    std::shared_ptr<qf::PdfFile> made = qf::NewBook();
    qf::PdfFile &book = *made;
    qf::DocumentLevel documentLevel;
    int placed = 0;
    for (const auto &[name, from] : {std::pair{QStringLiteral("a.pdf"), source.get()},
                                     std::pair{QStringLiteral("b.pdf"), copy.get()}}) {
        const qf::Status appended = qf::AppendPages(book, *from);
        FUZZ_CHECK(qf::PageCount(book) == placed + (appended ? pages : 0));
        if (!appended)
            continue;
        documentLevel.Add(book.pdf, name, from->pdf, placed, pages);
        placed += pages;
    }
    // Half the books become bundles: an index in front, and every page numbered.
    int front = 0;
    qf::EmbeddedFont *font = Font();
    const bool bundle = (seed & 1) && font && placed > 0;
    if (bundle) {
        QList<qf::IndexLine> lines;
        for (int start : {0, pages})
            if (start < placed)
                lines.append({QStringLiteral("Κεφάλαιο"), QString::number(start + 1),
                              book.pdf.getAllPages().at(size_t(start))});
        front = qf::IndexPageCount(lines.size());
        qf::PutIndexInFront(book.pdf, QStringLiteral("Book"), lines, false, *font);
    }
    documentLevel.Finish(book.pdf, front);
    FUZZ_CHECK(qf::PageCount(book) == placed + front);
    if (bundle) {
        qf::NumberPages(book.pdf, *qf::PageNumberFormat::Parse(QStringLiteral("ABC{n:6}"), nullptr),
                        *font);
        FUZZ_CHECK(font->Embed(book.pdf).ok());
    }
    WriteAndReread(book.pdf);
    placed += front;
    if (pages > 0)
        WritePieces(bytes, pages, seed & 2, seed & 4);

    // The source stays whole after its pages were copied, and a book gives pages up again.
    FUZZ_CHECK(qf::PageCount(*source) == pages);
    qf::RemovePagesFrom(book, placed / 2);
    FUZZ_CHECK(qf::PageCount(book) == placed / 2);
    return 0;
}
