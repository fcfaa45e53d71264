#pragma once

#include "book/FormPiece.h"
#include "book/Import.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>

#include <memory>

namespace qf {

// The book's one interactive form, and its document scripts. Each source's fields join it with
// their values, appearances, calculation order and default resources; a field whose full name
// another source took already is renamed, so fields of different sources never merge. Each
// source's scripts are kept under its prefix, as its names are.
class FormFields {
public:
    // A source written apart, named name; written gives the book's stand-in for an object
    // written there.
    void AddWritten(const QString &name, const PieceForm &form,
                    const std::function<QPDFObjectHandle(int number)> &written);
    void Finish(QPDF &book);

    // Gives the source's pages in the book widgets of their own, in the book's form. The
    // annotations copied with the pages are copied once more for that: replaced maps each first
    // copy to the one on the page now.
    void Add(QPDF &book, const SourceInBook &source, ReplacedObjects &replaced);

private:
    std::unique_ptr<QPDFAcroFormDocumentHelper> form_;
    std::vector<QPDFObjectHandle> fields_, calculationOrder_;
    std::map<std::string, QPDFObjectHandle> fonts_;
    QPDFObjectHandle resources_ = QPDFObjectHandle::newDictionary();
    std::string appearance_;
    std::map<std::string, QPDFObjectHandle> scripts_; // by the book's names
};

} // namespace qf
