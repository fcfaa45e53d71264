#pragma once

#include "book/ObjectWriter.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace qf {

// The links on a source's pages as the book writes them when the source goes in apart: a link to
// a name says the name under the source's prefix, as the book keeps its names. The objects that
// change are written as renamed copies, each made as it is written, so that a source with tens of
// thousands of links never holds them twice; the source itself stays as it is, for what reads it
// after (its outline).
class RenamedLinks {
public:
    // Finds the objects to rename.
    void Rename(const std::vector<QPDFObjectHandle> &pages, const std::string &prefix);
    // What to write in place of object: its renamed copy, or object itself.
    QPDFObjectHandle For(QPDFObjectHandle object) const;

private:
    enum class Kind { Link, Action, Next };
    // Whether action, held directly in what refers to it, changes; an action or /Next list of its
    // own that changes is noted to be copied, and leaves what refers to it as it is.
    bool FindAction(QPDFObjectHandle action, int depth);
    // action renamed: a copy when it is held directly (or is top, the object being written);
    // one of its own is written as its own copy.
    QPDFObjectHandle CopyAction(QPDFObjectHandle action, int depth, bool top = false) const;

    std::string prefix_;
    std::set<QPDFObjGen> seen_;
    std::unordered_map<QPDFObjGen, Kind, ObjGenHash> renamed_;
};

} // namespace qf
