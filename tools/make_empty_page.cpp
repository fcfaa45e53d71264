// Writes a PDF of one blank A4 page to the path given. The page has no content stream at all, which
// is how PDF says "blank": an empty one would be written compressed to no bytes, which is not
// valid compressed data, and viewers warn of it once per blank sheet.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <exception>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_empty_page OUTPUT.pdf\n");
        return 2;
    }
    try {
        QPDF pdf;
        pdf.emptyPDF();
        auto page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] /Resources << >> >>"));
        QPDFPageDocumentHelper(pdf).addPage(page, false);
        QPDFWriter writer(pdf, argv[1]);
        writer.setStaticID(true);
        writer.write();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_empty_page: %s\n", e.what());
        return 1;
    }
    return 0;
}
