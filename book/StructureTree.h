#pragma once

#include "book/StructurePiece.h"

#include <functional>

#include <map>
#include <set>
#include <string>

namespace qf {

// The book's logical structure (tagged PDF): each tagged source's tree under one /Part element of
// its own, with the keys that pages, annotations and XObjects hold into the parent tree moved past
// those of the sources before. A page of an untagged source keeps no key into a tree that is not
// there.
class StructureTree {
public:
    // A tagged source written apart: written gives the book's stand-in for one of its objects by
    // number, writeAs has the book write an object of its own under a number a piece took.
    void AddPiece(QPDF &book, const PieceStructure &piece,
                  const std::function<QPDFObjectHandle(int)> &written,
                  const std::function<void(QPDFObjectHandle, int)> &writeAs);
    void Finish(QPDF &book);

private:
    QPDFObjectHandle root_;     // made with the first tagged source
    bool rootNumbered_ = false; // under the number the pieces gave it
    QPDFObjectHandle parts_ = QPDFObjectHandle::newArray();
    std::map<long long, QPDFObjectHandle> parents_;
    long long nextKey_ = 0;
    QPDFObjectHandle roles_ = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle classes_ = QPDFObjectHandle::newDictionary();
    std::map<std::string, QPDFObjectHandle> ids_;
    bool marked_ = false;
    QPDFObjectHandle language_;
};

} // namespace qf
