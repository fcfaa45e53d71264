#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qf {

// The links on a source's pages as the book writes them when the source goes in apart: a link to
// a name says the name under the source's prefix, as the book keeps its names. The objects that
// change are written as renamed copies; the source itself stays as it is, for what reads it after
// (its outline) or takes it whole.
class RenamedLinks {
public:
    // False when a link to rename has no object of its own for its copy to stand in for (an
    // annotation held in its page, or a stream).
    bool Rename(const std::vector<QPDFObjectHandle> &pages, const std::string &prefix);
    // What to write in place of object: its renamed copy, or object itself.
    QPDFObjectHandle For(QPDFObjectHandle object) const;

private:
    // action with its names renamed: a direct one as a copy, with changed set; one of its own
    // comes back as it is, its copy kept.
    QPDFObjectHandle Action(QPDFObjectHandle action, bool &changed, int depth);

    std::string prefix_;
    std::set<QPDFObjGen> seen_;
    std::map<QPDFObjGen, QPDFObjectHandle> copies_;
};

} // namespace qf
