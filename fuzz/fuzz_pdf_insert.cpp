// Opening an arbitrary file as a PDF, putting its pages into a book and saving the book.

#include "automation/PdfDocument.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = fuzz::ScratchFile(QStringLiteral("input.pdf"));
    const QString book = fuzz::ScratchFile(QStringLiteral("book.pdf"));
    fuzz::WriteBytes(input, reinterpret_cast<const char *>(data), size);
    uint32_t seed = 0;
    for (size_t i = 0; i < size; ++i)
        seed = seed * 31 + data[i];

    qf::PdfSuite suite;
    qf::PDDoc source(suite);
    const qf::Status opened = source.Open(input);
    if (!opened) {
        FUZZ_CHECK(!opened.reason().isEmpty());
        FUZZ_CHECK(!source.IsOpen());
        return 0;
    }
    const int pages = source.GetNumPages();
    FUZZ_CHECK(pages >= 0);

    qf::PDDoc target(suite);
    FUZZ_CHECK(target.Create().ok());
    // All or nothing, whatever the pages hold.
    const qf::Status all = target.InsertPages(-1, source, 0, pages, false);
    FUZZ_CHECK(target.GetNumPages() == (all ? pages : 0));
    if (pages > 0) {
        const int own = target.GetNumPages();
        const int first = int(seed % uint32_t(pages));
        const int count = 1 + int((seed >> 8) % uint32_t(pages - first));
        const int after = int((seed >> 16) % uint32_t(own + 1)) - 1;
        const qf::Status some = target.InsertPages(after, source, first, count, true);
        FUZZ_CHECK(target.GetNumPages() == own + (some ? count : 0));
        FUZZ_CHECK(!target.InsertPages(target.GetNumPages(), source, 0, 1, false));
        FUZZ_CHECK(!target.InsertPages(-1, source, first, pages + 1 - first, false));
    }
    // The source stays usable after its pages were copied.
    FUZZ_CHECK(source.GetNumPages() == pages);

    const qf::Status saved = target.Save(1, book);
    if (!saved) {
        FUZZ_CHECK(!saved.reason().isEmpty());
        return 0;
    }
    // A saved book opens again with every page.
    qf::PdfSuite fresh;
    qf::PDDoc reread(fresh);
    FUZZ_CHECK(reread.Open(book).ok());
    FUZZ_CHECK(reread.GetNumPages() == target.GetNumPages());
    return 0;
}
