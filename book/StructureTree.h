#pragma once

#include "book/Import.h"
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
    // replaced: annotations the form gave new copies, which the tree must point at instead.
    void Add(QPDF &book, const SourceInBook &source, const ReplacedObjects &replaced);
    // A tagged source written apart: written gives the book's stand-in for one of its objects by
    // number, writeAs has the book write an object of its own under a number a piece took.
    void AddPiece(QPDF &book, const PieceStructure &piece,
                  const std::function<QPDFObjectHandle(int)> &written,
                  const std::function<void(QPDFObjectHandle, int)> &writeAs);
    void Finish(QPDF &book);

private:
    // The source's top elements under a /Part element of its own, copied into the book.
    QPDFObjectHandle CopyUnderPart(QPDF &book, const SourceInBook &source,
                                   QPDFObjectHandle sourceRoot);
    void MergeMap(QPDF &book, const SourceInBook &source, const char *key,
                  std::map<std::string, std::string> &renamed);
    // The copied elements say the role and class names the book gives them, and point at the
    // annotations on the pages now.
    void RenameElements(QPDF &book, const SourceInBook &source, QPDFObjectHandle part,
                        const ReplacedObjects &replaced);
    void AddIds(QPDF &book, const SourceInBook &source, QPDFObjectHandle sourceRoot);
    // The source's keys into its parent tree move past those the book has.
    void MoveParentKeys(QPDF &book, const SourceInBook &source, QPDFObjectHandle sourceRoot,
                        const ReplacedObjects &replaced, std::set<QPDFObjGen> &seen);

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
