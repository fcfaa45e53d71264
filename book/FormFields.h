#pragma once

#include "book/FormPiece.h"
#include "book/Import.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

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

private:
    std::vector<QPDFObjectHandle> fields_, calculationOrder_;
    std::map<std::string, QPDFObjectHandle> fonts_;
    QPDFObjectHandle resources_ = QPDFObjectHandle::newDictionary();
    std::string appearance_;
    std::map<std::string, QPDFObjectHandle> scripts_; // by the book's names
};

} // namespace qf
