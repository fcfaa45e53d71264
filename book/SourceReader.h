#pragma once

#include "book/PdfFile.h"
#include "book/SourcePiece.h"
#include "core/Status.h"

#include <QStringList>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qf {

// Reads a book's sources a few ahead of the one putting their pages into the book, and frees
// those it is done with, on threads of their own: reading and freeing a PDF cost more than
// putting its pages in, so that should never wait for them. It writes each source as a piece of
// the book there too, under the book's numbering. A source takes its
// numbers and packs its objects in list order; meanwhile a thread goes on with other sources'
// steps rather than wait for its turn.
class SourceReader {
public:
    // names are the sources' file names in the book, one for each of paths. keepEnds: Next
    // tells what each source's turn left of the numbering.
    // facts: what else is read of each source, into its piece. passwords: those given for the
    // sources that need one, by path.
    SourceReader(const QStringList &paths, const QStringList &names, BookNumbering numbering,
                 PageChange change = nullptr, bool keepEnds = false, PieceChanges changes = {},
                 SourceFacts facts = nullptr, Passwords passwords = {});
    ~SourceReader();
    SourceReader(const SourceReader &) = delete;
    SourceReader &operator=(const SourceReader &) = delete;

    // The next source in order, waiting until it is read, with its piece; its status says why
    // there is none.
    std::shared_ptr<PdfFile> Next(Status &status, std::optional<SourcePiece> &piece,
                                  NumberingAfter *after = nullptr);
    // The first number no piece took, once every source was taken.
    int NextNumber();
    // The objects that wait for an object stream once every source was taken.
    PendingObjects TakeCarried();
    // The numbers of the book's own objects the pieces refer to, by their keys.
    std::map<std::string, int> SharedNumbers();
    // Hands back a source the caller has done with, to be freed on the reader's thread.
    void Done(std::shared_ptr<PdfFile> file);
    // Reads ahead no further than the first count sources, unless one beyond is asked for.
    void ReadUpTo(qsizetype count);

private:
    // A source's way: read (and prepared as a piece), numbered in turn, written, packed in turn,
    // finished, taken. A step in hand belongs to the thread that took it.
    enum class Step { InHand, Read, Numbered, Written, Packed, Ready };
    struct Source {
        Step step = Step::InHand;
        std::shared_ptr<PdfFile> file;
        Status status;
        std::unique_ptr<PieceMaker> maker; // null once its piece is made, or could not be
        std::optional<SourcePiece> piece;
        NumberingAfter after; // kept only when asked for
    };
    void Work();
    // Takes the next step there is, the lock held but while it works; false when there is none.
    bool TakeStep(std::unique_lock<std::mutex> &lock);
    // The source at index if it has come to step.
    Source *At(qsizetype index, Step step);
    void Read(qsizetype index, std::unique_lock<std::mutex> &lock);

    static constexpr qsizetype kAhead = 8;
    // What qpdf makes of a source takes about 4 kB for each of its objects, 400 MB for a manual
    // of 90,000 links and destinations: those ahead of the one the book waits for hold no more
    // than so many objects between them, so that two such are never in hand at once.
    static constexpr qint64 kAheadObjects = 50000;
    static constexpr qint64 kPeekedFrom = 1 << 20; // smaller files hold at most 64 bytes an object
    const QStringList paths_;
    const QStringList names_;
    const SourceFacts facts_;
    const Passwords passwords_;
    std::mutex mutex_;
    std::condition_variable work_;        // readers wait for a step to take
    std::condition_variable ready_;       // the caller waits for the next source
    std::map<qsizetype, Source> sources_; // those in hand or ready, by their place in paths_
    qsizetype taken_ = 0;                 // how many were taken
    qsizetype reading_ = 0;               // the next to be read
    qsizetype readUpTo_ = PTRDIFF_MAX;    // none from here on is read unless asked for
    BookNumbering numbering_;
    const PageChange change_;
    const bool keepEnds_;
    const PieceChanges changes_;
    qsizetype numbered_ = 0; // sources whose turn at the numbering has passed
    qsizetype packed_ = 0;   // and at the packing
    qsizetype written_ = 0;  // sources whose write has ended
    PendingObjects carried_; // objects of the pieces so far that wait for an object stream
    std::vector<std::shared_ptr<PdfFile>> done_;
    std::vector<qint64> weights_; // each source's objects, as its file says
    qint64 inHand_ = 0;           // the objects of the sources read and not yet handed back
    qsizetype doneCount_ = 0;     // how many were handed back
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace qf
