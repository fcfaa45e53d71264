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
// copying its pages, so the copying should never wait for them. Given the book's numbering, it
// writes each source that stands alone as a piece of the book there too, numbered in list order.
class SourceReader {
public:
    explicit SourceReader(const QStringList &paths,
                          std::optional<BookNumbering> numbering = std::nullopt,
                          PageChange change = nullptr);
    ~SourceReader();
    SourceReader(const SourceReader &) = delete;
    SourceReader &operator=(const SourceReader &) = delete;

    // The next source in order, waiting until it is read; null with the reason when it cannot be.
    std::shared_ptr<PdfFile> Next(Status &status);
    // The same with its piece, when it was written as one.
    std::shared_ptr<PdfFile> Next(Status &status, std::optional<SourcePiece> &piece);
    // The first number no piece took, once every source was taken.
    int NextNumber();
    // The objects that wait for an object stream once every source was taken.
    PendingObjects TakeCarried();
    // The numbers of the book's own objects the pieces refer to, by their keys.
    std::map<std::string, int> SharedNumbers();
    // Hands back a source the caller has done with, to be freed on the reader's thread.
    void Done(std::shared_ptr<PdfFile> file);

private:
    struct Read {
        std::shared_ptr<PdfFile> file;
        Status status;
        std::optional<SourcePiece> piece;
    };
    void Work();
    // Reads the source at index; its piece takes its numbers in turn.
    Read ReadOne(qsizetype index, std::unique_lock<std::mutex> &lock);

    static constexpr qsizetype kAhead = 4;
    const QStringList paths_;
    std::mutex mutex_;
    std::condition_variable work_;     // readers wait for a source to read or free
    std::condition_variable ready_cv_; // the caller waits for the next source
    std::condition_variable turn_;     // readers wait for their turn at numbers and packing
    std::map<qsizetype, Read> ready_;  // read, not yet taken, by their place in paths_
    qsizetype taken_ = 0;              // how many were taken
    qsizetype reading_ = 0;            // the next to be read
    std::optional<BookNumbering> numbering_;
    const PageChange change_;
    qsizetype numbered_ = 0; // sources whose turn at the numbering has passed
    qsizetype packed_ = 0;   // and at the packing
    PendingObjects carried_; // objects of the pieces so far that wait for an object stream
    std::vector<std::shared_ptr<PdfFile>> done_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace qf
