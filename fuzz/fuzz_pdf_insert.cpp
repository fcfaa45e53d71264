// Reading an arbitrary input as a PDF, putting its pages into a book, keeping what it holds at
// document level (links, forms, layers, labels, attachments, structure) for it and for a second
// copy of it under another name, for half the inputs with an index in front and every page
// numbered, and writing the book, plain and with its objects packed. All in memory.

#include "automation/ObjectStreams.h"
#include "automation/PdfDocument.h"
#include "book/DocumentLevel.h"
#include "bundle/IndexPages.h"
#include "bundle/PageNumbers.h"
#include "fuzz/FuzzSupport.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstddef>
#include <cstdint>

namespace {

// Writes the book to memory and reads it back: every page is there again.
void WriteAndReread(QPDF &book)
{
    std::shared_ptr<Buffer> written;
    try {
        QPDFWriter writer(book);
        writer.setOutputMemory();
        // Stream data is copied as it stands: compressing it is qpdf's own work, not the book's.
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.write();
        written = writer.getBufferSharedPointer();
    } catch (const std::exception &) {
        return; // damaged stream data: the compile's writer names it
    }
    const std::string_view classic(reinterpret_cast<const char *>(written->getBuffer()),
                                   written->getSize());
    std::string packed;
    // whatever the sources held
    FUZZ_CHECK(qf::PackObjectStreams(classic, [&](std::string_view piece) { packed += piece; }));
    for (const std::string_view file : {classic, std::string_view(packed)}) {
        QPDF reread;
        reread.setSuppressWarnings(true);
        reread.processMemoryFile("book.pdf", file.data(), file.size());
        FUZZ_CHECK(reread.getAllPages().size() == book.getAllPages().size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    uint32_t seed = 0;
    for (size_t i = 0; i < size; ++i)
        seed = seed * 31 + data[i];

    qf::PdfSuite suite;
    std::shared_ptr<qf::PdfFile> read;
    const qf::Status opened = qf::ReadPdfBytes(QStringLiteral("a.pdf"), bytes, read);
    if (!opened) {
        FUZZ_CHECK(!opened.reason().isEmpty());
        FUZZ_CHECK(!read);
        return 0;
    }
    qf::PDDoc source(suite, read);
    const int pages = source.GetNumPages();
    FUZZ_CHECK(pages >= 0);
    std::shared_ptr<qf::PdfFile> second;
    FUZZ_CHECK(qf::ReadPdfBytes(QStringLiteral("b.pdf"), bytes, second).ok());
    qf::PDDoc copy(suite, second);

    // A book of the input twice, under two names, as the compile makes it. Each insertion is all
    // or nothing, whatever the pages hold.
    qf::PDDoc book(suite);
    FUZZ_CHECK(book.Create().ok());
    qf::DocumentLevel documentLevel;
    int placed = 0;
    for (const auto &[name, from] :
         {std::pair{QStringLiteral("a.pdf"), &source}, std::pair{QStringLiteral("b.pdf"), &copy}}) {
        const qf::Status inserted =
            book.InsertPages(book.GetNumPages() - 1, *from, 0, pages, false);
        FUZZ_CHECK(book.GetNumPages() == placed + (inserted ? pages : 0));
        if (!inserted)
            continue;
        documentLevel.Add(book.file()->pdf, name, from->file()->pdf, placed, pages);
        placed += pages;
    }
    // Half the books become bundles: an index in front, and every page numbered.
    int front = 0;
    static std::unique_ptr<qf::EmbeddedFont> font = [] {
        qf::Status fontStatus;
        return qf::EmbeddedFont::Open(qf::kTextFontPath, fontStatus);
    }();
    const bool bundle = (seed & 1) && font && placed > 0;
    if (bundle) {
        QList<qf::IndexLine> lines;
        for (int start : {0, pages})
            if (start < placed)
                lines.append({QStringLiteral("Κεφάλαιο"), QString::number(start + 1),
                              book.file()->pdf.getAllPages().at(size_t(start))});
        front = qf::IndexPageCount(lines.size());
        qf::PutIndexInFront(book.file()->pdf, QStringLiteral("Book"), lines, false, *font);
    }
    documentLevel.Finish(book.file()->pdf, front);
    FUZZ_CHECK(book.GetNumPages() == placed + front);
    if (bundle) {
        qf::NumberPages(book.file()->pdf,
                        *qf::PageNumberFormat::Parse(QStringLiteral("ABC{n:6}"), nullptr), *font);
        FUZZ_CHECK(font->Embed(book.file()->pdf).ok());
    }
    WriteAndReread(book.file()->pdf);
    placed += front;

    // Some of its pages anywhere in the book; pages that are not there are refused.
    if (pages > 0) {
        const int own = book.GetNumPages();
        const int first = int(seed % uint32_t(pages));
        const int count = 1 + int((seed >> 8) % uint32_t(pages - first));
        const int after = int((seed >> 16) % uint32_t(own + 1)) - 1;
        const qf::Status some = book.InsertPages(after, source, first, count, true);
        FUZZ_CHECK(book.GetNumPages() == own + (some ? count : 0));
        FUZZ_CHECK(!book.InsertPages(book.GetNumPages(), source, 0, 1, false));
        FUZZ_CHECK(!book.InsertPages(-1, source, first, pages + 1 - first, false));
    }
    // The source stays usable after its pages were copied.
    FUZZ_CHECK(source.GetNumPages() == pages);
    return 0;
}
