#pragma once

#include "book/ObjectWriter.h"

#include <qpdf/QPDF.hh>

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qf {

// The book's one form as the sources take it, one at a time, in list order.
struct FormTurn {
    std::set<std::string> fieldNames;         // the top-level fields' names
    std::map<std::string, std::string> fonts; // the default resources' fonts: each as read
};

// What the book's form takes of a source written apart, detached from it: each object of its own
// a mark for its number in the book.
struct PieceForm {
    std::vector<QPDFObjectHandle> fields;           // its top-level fields, in order
    std::vector<QPDFObjectHandle> calculationOrder; // the fields calculated, in order
    std::map<std::string, QPDFObjectHandle> fonts;  // its default fonts, by the book's names
    QPDFObjectHandle resources;                     // its other default resources; null: none
    std::string appearance;                         // its default appearance; empty: none
    // Its document-level scripts, by their names in the source.
    std::map<std::string, QPDFObjectHandle> scripts;
};

// A source's interactive form and document scripts made ready to be written apart from the book.
// Its fields stay the fields they are, widgets on any number of pages; only a top-level name that
// a source before it took is renamed, once for the source ("total+1"). Its default appearance and
// fonts go with its fields: the one the form gives is said by each top-level field that relies on
// it, and a font whose name another source took for another font is renamed in what says it.
class FormPiece {
public:
    // On the source's thread: a source that asks viewers to draw its fields anew has their
    // appearances made first. reach gets what the form and scripts refer to, to be written.
    void Prepare(QPDF &source, const std::vector<QPDFObjectHandle> &pages,
                 std::vector<QPDFObjectHandle> &reach);
    // In the turn: its names against those of the sources before it.
    void Number(FormTurn &turn);
    // Gives back the names Number took, the next source not yet numbered.
    void Withdraw(FormTurn &turn) const;
    // What to write for object, written the object (or a copy) that other changes made of it.
    QPDFObjectHandle For(QPDFObjectHandle object, QPDFObjectHandle written) const;
    // Once numbered, what the book's form takes; none when the source has neither form nor
    // scripts.
    bool Empty() const { return fields_.empty() && calculationOrder_.empty() && scripts_.empty(); }
    PieceForm Summary(const NumberOf &number) const;

private:
    std::string Renamed(const std::string &appearance) const;

    std::vector<QPDFObjectHandle> fields_, calculationOrder_;
    std::map<std::string, QPDFObjectHandle> fonts_; // by the source's names
    std::map<std::string, std::string> fontText_;   // each as read
    QPDFObjectHandle resources_;
    std::string appearance_;
    std::map<std::string, QPDFObjectHandle> scripts_;
    // Fields and widgets that say an appearance of their own, and top-level fields that rely on
    // the form's.
    std::unordered_map<QPDFObjGen, std::string, ObjGenHash> appearances_;
    std::set<QPDFObjGen> relying_;
    std::set<QPDFObjGen> tops_;                              // the top-level fields
    std::map<std::string, std::string> newNames_, newFonts_; // the source's → the book's
    std::vector<std::string> takenNames_, takenFonts_;       // those the book did not hold
};

} // namespace qf
