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
    // need for the book's stamps. keepEnds: Next tells what each source's turn left of the
    // numbering. facts: what else is read of each source, into its piece. passwords: those given
    // for the sources, by path.
    BookInProgress(PdfFile &book, bool objectStreams, ByteSink sink, BookWriter::HeaderPatch patch,
                   const QStringList &paths, const QStringList &names, PageChange change,
                   bool keepEnds = false, PieceChanges changes = {}, SourceFacts facts = nullptr,
                   Passwords passwords = {});
    // A book of pieces made before, under the numbers a book of the same first sources gives them:
    // nothing is read; the caller puts the pieces in and says where the last one left the
    // numbering.
    BookInProgress(PdfFile &book, bool objectStreams, ByteSink sink, BookWriter::HeaderPatch patch);
    BookInProgress(const BookInProgress &) = delete;
    BookInProgress &operator=(const BookInProgress &) = delete;

    // The next source, waiting until it is read, with its piece; status says why there is none.
    std::shared_ptr<PdfFile> Next(Status &status, std::optional<SourcePiece> &piece,
                                  NumberingAfter *after = nullptr)
    {
        return reader_->Next(status, piece, after);
    }
    // Reads ahead no further than the first count sources, unless one beyond is asked for.
    void ReadUpTo(qsizetype count) { reader_->ReadUpTo(count); }
    // Puts the piece's pages at the end of the book's; false when its bytes could not be written.
    bool Add(const SourcePiece &piece) { return writer_.Add(piece); }
    // Hands back a source taken, to be freed on a thread of its own.
    void Done(std::shared_ptr<PdfFile> source)
    {
        if (reader_)
            reader_->Done(std::move(source));
    }
    // The numbering as the last piece put in left it, for a book of pieces made before.
    void EndsAfter(NumberingAfter after) { end_ = std::move(after); }
    // What the book's document-level parts write through.
    BookWriter &Writer() { return writer_; }
    // Once every source was taken: the book's own objects are written from here on.
    void PiecesDone() { writer_.PiecesDone(NextNumber()); }
    TextWriter Text() { return writer_.Text(); }
    // The stand-ins the book's own objects that pieces refer to are written under.
    StandIns OwnStandIns()
    {
        return writer_.StandInsFor(end_ ? end_->shared : reader_->SharedNumbers());
    }
    // Writes the rest of the book; fails as BookWriter::Finish does.
    Status Finish(const QString &target, int sinkError = 0)
    {
        return writer_.Finish(NextNumber(),
                              end_ ? std::move(end_->carried) : reader_->TakeCarried(), target,
                              sinkError);
    }

private:
    int NextNumber() { return end_ ? end_->next : reader_->NextNumber(); }

    BookWriter writer_; // first: the reader numbers from it
    std::unique_ptr<SourceReader> reader_;
    std::optional<NumberingAfter> end_;
};

} // namespace qf
