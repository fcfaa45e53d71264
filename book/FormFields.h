#pragma once

#include "book/Import.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>

#include <memory>

namespace qf {

// The book's one interactive form. Each source's fields join it with their values, appearances
// and default resources; a field whose full name another source took already is renamed, so
// fields of different sources never merge.
class FormFields {
public:
    // Gives the source's pages in the book widgets of their own, in the book's form. The
    // annotations copied with the pages are copied once more for that: replaced maps each first
    // copy to the one on the page now.
    void Add(QPDF &book, const SourceInBook &source, ReplacedObjects &replaced);

private:
    std::unique_ptr<QPDFAcroFormDocumentHelper> form_;
};

} // namespace qf
