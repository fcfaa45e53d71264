#pragma once

#include "book/PdfWrite.h"
#include "book/SourcePiece.h"
#include "book/SourceReader.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace qf {

// The book being made, behind one door: its writer, and its sources read, numbered and written as
// pieces on threads of their own, in list order. The compile takes the sources in turn, puts their
// pieces in and asks for the book's parts; the numbers that pieces and the book's own objects take
// stay in here.
class BookInProgress {
public:
    // paths are the sources, in order; names their file names in the book; change what their pages
    // need for the book's stamps.
    BookInProgress(PdfFile &book, bool objectStreams, ByteSink sink, BookWriter::HeaderPatch patch,
                   const QStringList &paths, const QStringList &names, PageChange change);
    BookInProgress(const BookInProgress &) = delete;
    BookInProgress &operator=(const BookInProgress &) = delete;

    // The next source, waiting until it is read, with its piece; status says why there is none.
    std::shared_ptr<PdfFile> Next(Status &status, std::optional<SourcePiece> &piece)
    {
        return reader_.Next(status, piece);
    }
    // Puts the piece's pages at the end of the book's; false when its bytes could not be written.
    bool Add(const SourcePiece &piece) { return writer_.Add(piece); }
    // Hands back a source taken, to be freed on a thread of its own.
    void Done(std::shared_ptr<PdfFile> source) { reader_.Done(std::move(source)); }
    // What the book's document-level parts write through.
    BookWriter &Writer() { return writer_; }
    // Once every source was taken: the book's own objects are written from here on.
    void PiecesDone() { writer_.PiecesDone(reader_.NextNumber()); }
    TextWriter Text() { return writer_.Text(); }
    // The stand-ins the book's own objects that pieces refer to are written under.
    StandIns OwnStandIns() { return writer_.StandInsFor(reader_.SharedNumbers()); }
    // Writes the rest of the book; fails as BookWriter::Finish does.
    Status Finish(const QString &target, int sinkError = 0)
    {
        return writer_.Finish(reader_.NextNumber(), reader_.TakeCarried(), target, sinkError);
    }

private:
    BookWriter writer_; // first: the reader numbers from it
    SourceReader reader_;
};

} // namespace qf
