#pragma once

#include "book/Import.h"
#include "book/ObjectWriter.h"
#include "book/PageFit.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qf {

// A PDF of the folder that went into another volume of the book: a link to it opens that volume.
struct InAnotherVolume {
    QString name;       // the PDF's file name
    QString volumeFile; // the volume's, beside this one
    int firstPage = 0;  // where it starts in its volume, zero-based
    int pages = 0;
};

// A named destination of a source written apart from the book.
struct NamedPlace {
    int page = 0;     // zero-based, in the source
    std::string view; // the rest of the destination, e.g. /XYZ 72 700 null
};

// How far a chain of actions (/Next) is followed: a damaged file's may loop or go on without end.
inline constexpr int kMaxActionChain = 50;

// The file a link to another PDF opens, when it may be one of the book's: a plain file name; empty
// for one outside the folder, or none.
QString FileInTheBook(QPDFObjectHandle fileSpec);

// An object of a source written apart that the book writes itself under its number: a link to
// another PDF, which becomes a link inside the book when that PDF is in it.
struct WrittenByTheBook {
    int number = 0;
    QPDFObjectHandle object; // detached from the source
};

// Named places held as text in blocks, each a name, the page of the book it is on and the rest of
// its destination: a book of two thousand manuals has three hundred thousand, which a map of
// strings held at three times the size while the manuals were being read.
class NamedPlaces {
public:
    struct Entry {
        std::string_view first; // the name
        int page;               // its page: an index into the pages the book noted
        std::string_view view;
    };
    static bool NameBefore(const Entry &a, const Entry &b) { return a.first < b.first; }
    void Add(std::string_view name, int page, std::string_view view);
    // Every name once, the last added of it, sorted as a name tree is.
    std::vector<Entry> Sorted() const;

private:
    static constexpr size_t kBlock = 1 << 20;
    struct Held {
        uint32_t block, offset, nameSize, viewSize;
        int page;
    };
    std::vector<std::string> blocks_;
    std::deque<Held> held_;
};

// A link's destination as the book says it when it is a name: the name under prefix.
QPDFObjectHandle PrefixedDestination(const std::string &prefix, QPDFObjectHandle dest);

// The book's named destinations and the links that use them. Each source's names are kept under
// its own prefix (NamePrefix), its links and GoTo actions renamed to match, so two sources' names
// never meet; a link to another PDF of the book (GoToR)
// becomes a link inside the book.
class Destinations {
public:
    // A source written apart, named name, its pages in the book from firstPage on: its names,
    // its links renamed already; moves, how its pages were scaled, for the links from other PDFs
    // that name a spot on them.
    void AddWritten(QPDF &book, const QString &name, int firstPage, int pages,
                    const std::map<std::string, NamedPlace> &places, const PageMoves &moves = {});
    // Objects of a source written apart that hold links to other PDFs, for the book to write:
    // write(object, number) has the book write object under number, written gives the book's
    // stand-in for an object written there.
    void AddRemote(QPDF &book, const std::vector<WrittenByTheBook> &objects,
                   const std::function<void(QPDFObjectHandle, int)> &write,
                   const std::function<QPDFObjectHandle(int)> &written);
    // A source with no names or links of its own: links from others may still lead to it.
    void Place(const QString &name, int firstPage, int pages, const PageMoves &moves = {})
    {
        placed_.push_back({name, firstPage, pages, moves});
    }
    // The PDFs of the other volumes, when the book is one of a set.
    void SetOtherVolumes(std::vector<InAnotherVolume> others) { others_ = std::move(others); }
    // Writes the names into the book's catalog and turns links between its PDFs into its own;
    // a link to a PDF in another volume opens that volume there. With text, the name tree's
    // leaves are written as text through it, not made as objects of the book.
    void Finish(QPDF &book, const TextWriter &text = nullptr);
    // The sources' pages moved on by pages in the book.
    void ShiftPages(int pages)
    {
        for (Placed &placed : placed_)
            placed.firstPage += pages;
    }

private:
    struct Placed {
        QString name;
        int firstPage;
        int pages;
        PageMoves moves;
    };
    struct Remote {
        QPDFObjectHandle action; // a GoToR action of the book
        QString target;          // the name in the book of the PDF it opens
    };
    // Renames action's names under prefix, when one is given, and notes its links to other PDFs.
    void FixAction(const std::string &prefix, QPDFObjectHandle action, std::set<QPDFObjGen> &seen,
                   int depth);
    QPDFObjectHandle NameTree(QPDF &book, const TextWriter &text,
                              const std::vector<NamedPlaces::Entry> &names) const;
    QPDFObjectHandle RemoteDestination(QPDF &book, const Placed &target, QPDFObjectHandle dest,
                                       const std::vector<NamedPlaces::Entry> &names);
    // Makes action open the volume that holds other, where it led in the PDF.
    static void LeadToVolume(QPDFObjectHandle action, const InAnotherVolume &other);

    NamedPlaces names_;                        // every source's, prefixed
    std::vector<QPDFObjectHandle> namedPages_; // the pages they are on, as the book had them
    std::vector<Placed> placed_;
    std::vector<Remote> remote_;
    std::vector<InAnotherVolume> others_;
};

} // namespace qf
