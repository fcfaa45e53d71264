#pragma once

#include "book/Import.h"

namespace qf {

// The book's optional content (layers): every source's groups, each in the state its source
// starts in, so content a source hides stays hidden in the book.
class Layers {
public:
    void Add(QPDF &book, const SourceInBook &source);
    void Finish(QPDF &book);

private:
    QPDFObjectHandle groups_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle on_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle off_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle order_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle radioButtons_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle locked_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle usage_ = QPDFObjectHandle::newArray();
    bool any_ = false;
};

} // namespace qf
