#pragma once

#include "book/Destinations.h"
#include "book/FilingCopy.h"
#include "book/FormPiece.h"
#include "book/Layers.h"
#include "book/ObjectWriter.h"
#include "book/PageFit.h"
#include "book/PdfFile.h"
#include "book/RenamedLinks.h"
#include "book/SharedStreams.h"
#include "book/ShownPage.h"
#include "book/StructurePiece.h"

#include <qpdf/QPDF.hh>

#include <QString>

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qf {

// What the book makes itself that a source's pages refer to, a page's number stamp say: the pages
// refer to stand-ins, objects of the source that are never written, each numbered in turn as the
// book's object it stands for.
class BookReferences {
public:
    explicit BookReferences(QPDF &source) : source_(source) {}
    // The book's object known as key, the same for every source.
    QPDFObjectHandle Shared(const std::string &key);
    // The book's object for the page at index alone.
    QPDFObjectHandle OfPage(size_t index);

private:
    friend class PieceMaker;
    QPDFObjectHandle StandIn();

    QPDF &source_;
    std::map<std::string, QPDFObjectHandle> shared_;
    std::map<size_t, QPDFObjectHandle> pages_;
};

struct SourcePiece;

// Changes a source's pages before they are written, on its thread; the piece's notes get what the
// book needs to know of each page to make the objects it refers to, and it says what was changed.
using PageChange = std::function<void(const std::vector<QPDFObjectHandle> &pages,
                                      BookReferences &references, SourcePiece &piece)>;

// What the compile reads of a source's file besides its piece (its own title, its outline), once
// its pages are as the book takes them and before the piece is written: writing it lets go of the
// source's objects.
using SourceFacts = std::function<std::any(QPDF &source)>;

// What is made of every source's pages before they go into the book.
struct PieceChanges {
    PageFit fit;            // the size they take
    bool forFiling = false; // as a filing portal takes them (see MakeFitForFiling)
    bool sizes = false;     // whether the book makes pages of the size its pages share
};

// The book's numbers as the sources' pieces take them, one source at a time, in list order.
struct BookNumbering {
    int pageTree = 0; // the book's page tree: every page's parent
    int next = 0;     // the next number no one has
    bool objectStreams = false;
    size_t carried = 0; // objects of the pieces so far that wait for an object stream
    // Streams already in the book, by the digest of their data and their dictionary.
    std::unordered_map<std::string, int> streams;
    // The book's own objects that pieces refer to, by their keys.
    std::map<std::string, int> shared;
    StructureTurn structure;
    FormTurn form;
};

// What the numbering is once a source's turn has passed: a book that ends with that source is
// finished from it.
struct NumberingAfter {
    int next = 0;                      // the next number no one has
    std::map<std::string, int> shared; // the book's own objects pieces refer to, by their keys
    PendingObjects carried;            // objects that wait for an object stream
};

// A source's pages and all they reach, written as bytes under the book's numbers.
struct SourcePiece {
    WrittenObjects written;
    std::vector<int> pages; // its pages' numbers, in order
    // For each page, the number of the book's object for it alone (0: none), and its note.
    std::vector<int> pageObjects;
    std::vector<std::string> notes;
    // The last page's boxes and rotation as written, for a blank sheet after it; empty for none.
    std::string lastMediaBox, lastCropBox, lastRotate;
    SharedStreams shared; // its streams the book held already
    QString undecodable;  // what is wrong with stream data written as it stands; empty: none
    std::optional<PieceStructure> structure; // a tagged source's tree
    // Its page labels, by the page of the source they start on, each as written; none when it
    // has no labels.
    std::vector<std::pair<long long, std::string>> labels;
    // Its attached files' specifications, by their names in the source, detached.
    std::map<std::string, QPDFObjectHandle> attachments;
    // Its named destinations, by their names in the source; its links say them under its prefix.
    std::map<std::string, NamedPlace> destinations;
    std::optional<PieceLayers> layers;       // detached
    std::vector<WrittenByTheBook> byTheBook; // its links to other PDFs
    std::optional<PieceForm> form;           // its form fields and document scripts
    int scaledPages = 0;                     // pages scaled to the book's size
    PageMoves moves;                         // how its scaled and shrunk pages moved
    int shrunkPages = 0;                     // pages whose content gave their numbers room
    double leastScale = 1;                   // the most such a page was scaled down, as a scale
    SharedSize sizes;                        // its pages' one size, when the changes ask
    FilingChanges filing;                    // what a filing copy took out
    std::any facts;                          // what SourceFacts read of the source
};

// Makes a source's piece in steps, on the source's own thread but for numbering and packing,
// which go in list order with the other sources, so that the book is the same whatever thread
// finishes first. Small sources share object streams: the objects that do not fill one wait for
// the next source's.
class PieceMaker {
public:
    // What the source's pages reach, with their streams' data and its digest; name is its file
    // name in the book. False when it cannot be read through: Problem says why.
    // changes: what is made of its pages first; facts, what else is read of it.
    bool Prepare(PdfFile &source, const QString &name, const PageChange &change = nullptr,
                 const PieceChanges &changes = {}, const SourceFacts &facts = nullptr);
    // Takes the piece's numbers; a stream the book holds already is referred to, not written.
    void Number(BookNumbering &numbering);
    // The piece's bytes, but for the objects that wait for an object stream; false when they
    // could not be made: Problem says why.
    bool Write();
    // Gives back what Number took, for a piece that could not be written, so that the book keeps
    // no trace of it: no later source refers to its streams or is renamed for its names. Only
    // before the next source is numbered.
    void Withdraw(BookNumbering &numbering);
    // In list order: the objects carried from the sources before join its own; those that fill
    // the object streams it has numbers for go into them, the rest is carried on.
    void Pack(PendingObjects &carried);
    // The piece, its object streams made; none when it could not be written.
    std::optional<SourcePiece> Finish();
    // What went wrong, in words.
    const QString &Problem() const { return problem_; }

private:
    // Prepare's steps.
    // Annotations held directly in their pages get objects of their own, which a renamed link or
    // one to another PDF needs; an untagged source's claims to places in a structure tree go.
    void OwnAnnotations(QPDF &source);
    void ReadLabels(QPDF &source);
    // Its attached files, to be written with its pages.
    void ReadAttachments(QPDF &source, std::vector<QPDFObjectHandle> &reach);
    void HangPagesFromTree(QPDF &source);
    // Its named destinations that land on its pages, and its links renamed to match. The
    // destinations the pages do not reach are let go of once read.
    void ReadDestinations(QPDF &source, const QString &name);
    // The objects that hold links to other PDFs, which the book writes.
    void ReadLinksToOtherFiles();
    void ReferToTheBook(PdfFile &source, const QString &name, const PageChange &change,
                        std::vector<QPDFObjectHandle> &reach);
    void Walk(const std::vector<QPDFObjectHandle> &roots, std::vector<QPDFObjectHandle> &flate);
    void ReadStreams(PdfFile &source, const std::vector<QPDFObjectHandle> &flate);
    void ReadListedObjects(QPDF &source);
    void KeepDamageOfHeldObjects(QPDF &source);

    int Resolve(QPDFObjectHandle object) const;
    // What is written for object: itself, or a copy with its links or field names changed.
    QPDFObjectHandle WrittenFor(QPDFObjectHandle object) const;
    size_t Kept(size_t object) const; // the object written for it
    // A stream by its digest and dictionary; local tells of a reference to an object of this
    // source that has no number yet.
    std::string Describe(size_t stream, bool &local) const;

    struct Reached {
        QPDFObjectHandle object;
        int number = 0;
        int sameAs = 0;    // a stream the book holds already: that one's number
        int sameHere = -1; // a stream this source holds before: that one's place
        // The last of those reached that refers to it: writing them reads its value.
        size_t lastReferrer = 0;
    };
    struct Stream {
        size_t object; // in reached_
        StreamBytes data;
        bool dataHeld = false;
        std::string digest;
        size_t size = 0;
    };
    std::vector<Reached> reached_;
    std::vector<QPDFExc> listedDamage_; // found reading every object listed, set aside
    // The place in reached_ of each object reached. A source's numbers are dense: a vector by
    // number holds a manual's ninety thousand in a tenth of a map's room.
    class Places {
    public:
        std::optional<size_t> Find(QPDFObjGen id) const
        {
            if (!Dense(id)) {
                const auto found = others_.find(id);
                return found == others_.end() ? std::nullopt : std::optional<size_t>(found->second);
            }
            const size_t at = size_t(id.getObj());
            return at < byNumber_.size() && byNumber_[at] > 0
                       ? std::optional<size_t>(byNumber_[at] - 1)
                       : std::nullopt;
        }
        bool Has(QPDFObjGen id) const { return Find(id).has_value(); }
        void Add(QPDFObjGen id, size_t place)
        {
            if (!Dense(id)) {
                others_[id] = place;
                return;
            }
            const size_t at = size_t(id.getObj());
            if (at >= byNumber_.size())
                byNumber_.resize(at + 1 + byNumber_.size() / 2);
            byNumber_[at] = uint32_t(place + 1);
        }

    private:
        // A damaged file's numbers may be anything: those far out go into the map.
        static bool Dense(QPDFObjGen id)
        {
            return id.getGen() == 0 && id.getObj() > 0 && id.getObj() < 8'000'000;
        }
        std::vector<uint32_t> byNumber_; // place + 1; 0 for none
        std::unordered_map<QPDFObjGen, size_t, ObjGenHash> others_;
    };
    Places indexOf_;
    std::vector<Stream> streams_;
    std::vector<QPDFObjectHandle> pages_;
    std::unique_ptr<BookReferences> references_;
    std::unique_ptr<StructurePiece> structure_;
    std::unordered_map<QPDFObjGen, int, ObjGenHash> standIns_; // and their numbers once known
    std::unordered_set<QPDFObjGen, ObjGenHash> tree_;          // the pages' parents
    QString undecodable_;
    QString problem_;
    int pageTree_ = 0;
    int nextNumber_ = 0;
    bool objectStreams_ = false;
    size_t objectStreamCount_ = 0;
    SharedStreams shared_;
    // What Number took from the book's numbering.
    struct Taken {
        int next = 0;
        size_t carried = 0;
        std::vector<std::string> streams, shared;
    } taken_;
    SourcePiece piece_;
    std::unique_ptr<ObjectLayout> layout_;
    std::map<std::string, QPDFObjectHandle> attachments_;
    RenamedLinks links_;
    std::optional<PieceLayers> layers_;
    std::set<QPDFObjGen> byTheBook_;
    FormPiece form_;
};

} // namespace qf
