#pragma once

#include <qpdf/QPDF.hh>

#include <QString>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qf {

class BookReferences;

// The book's structure tree as the tagged sources take it, one at a time, in list order.
struct StructureTurn {
    long long nextKey = 0; // the first key into the parent tree no source has
    std::map<std::string, std::string> roles, classes; // the book's maps, values as written
    std::set<std::string> ids;
};

// What the book's tree takes of a tagged source written apart: numbers in the book.
struct PieceStructure {
    int root = 0; // the book's tree root, as the source's part names it
    int part = 0; // the source's part element
    struct Parent {
        int object = 0; // the value, when it is an object of its own; else:
        std::vector<int> elements;
        bool array = true; // else the one element
    };
    std::map<long long, Parent> parents;                             // by the book's key
    std::map<std::string, int> ids;                                  // by the book's ID
    std::vector<std::pair<std::string, std::string>> roles, classes; // entries the book gains
    long long nextKey = 0;
    std::string language; // as written; empty for none
    bool marked = false;
};

// A tagged source's tree made ready to be written apart from the book: under a part element of
// its own, made in the source, its keys, role and class names and IDs moved past those of the
// sources before it.
class StructurePiece {
public:
    // On the source's thread: the part element, and what else the walk must reach (the tree's
    // elements, its parent tree's, its IDs').
    void Prepare(QPDF &source, const QString &name, BookReferences &references,
                 std::vector<QPDFObjectHandle> &reach);
    // In the turn, before the piece's streams are compared: keys, names and IDs moved in the
    // source.
    void Number(StructureTurn &turn, const std::vector<QPDFObjectHandle> &pages);
    // Gives back the keys, names and IDs Number took, the next source not yet numbered.
    void Withdraw(StructureTurn &turn) const;
    // Once numbered, what the book's tree takes, references by number.
    PieceStructure Summary(const std::function<int(QPDFObjectHandle)> &number);

private:
    QPDFObjectHandle root_, part_;
    std::map<long long, QPDFObjectHandle> parents_; // by the source's key
    long long declaredNext_ = 0;
    std::map<std::string, QPDFObjectHandle> ids_;        // by the source's ID
    std::map<std::string, std::string> roles_, classes_; // the source's, as written
    std::map<std::string, std::string> bookIds_;         // the source's ID → the book's
    std::vector<std::pair<std::string, std::string>> newRoles_, newClasses_;
    std::vector<std::string> newIds_; // those the book did not hold
    long long offset_ = 0, next_ = 0;
    std::string language_;
    bool marked_ = false;
    std::string name_;
};

} // namespace qf
