#pragma once

#include "book/BookInProgress.h"
#include "book/PdfFile.h"
#include "book/SourcePiece.h"
#include "compile/CompileRequest.h"
#include "compile/OwnBookmarks.h"
#include "core/Status.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace qf {

// A source's own title and outline, as the book may take them.
struct OwnFacts {
    QString title; // only when bookmark titles may take it
    // Only when the book keeps them.
    QList<OwnBookmark> bookmarks;
    bool bookmarksWhole = true;
    QString bookmarksDamage;
};

// A source as the book takes it: its piece and what the compile needs of its file, which is freed
// once this is known.
struct TakenSource {
    Status status; // read and with pages, or why not
    int pages = 0;
    std::optional<SourcePiece> piece;
    PDFVersion version;
    QString path;           // as it was read
    bool repaired = false;  // qpdf repaired it as it read it: repairs says what
    bool encrypted = false; // it has a password or restrictions
    Repairs repairs;
    OwnFacts own;
    NumberingAfter after; // only when the book keeps its sources
};

// What the compile reads of each source besides its piece, as request asks: the books made for it
// take the sources with it.
SourceFacts FactsFor(const CompileRequest &request);

// Takes the next source from book, path being the one it reads, and frees its file.
TakenSource TakeSource(BookInProgress &book, const CompileRequest &request, const QString &path,
                       bool keepEnd = false);

// The sources from one document of a list on, each read once and kept as taken: the books that
// start there (volumes measured, then written) put the same pieces in again, under the same
// numbers, without reading anything twice.
class KeptSources {
public:
    // The documents of request and paths from first on; objectStreams as the books are written.
    // read, if any, is told of each document read, by its place in the list. Books of more than
    // most bytes are of no use: sources are read ahead only as far as their files' sizes, a
    // piece's rough size, say a book may still take them, and one more.
    KeptSources(const CompileRequest &request, const QStringList &paths, int first,
                bool objectStreams, std::function<void(int document)> read = nullptr,
                long long most = -1);
    KeptSources(const KeptSources &) = delete;
    KeptSources &operator=(const KeptSources &) = delete;

    int First() const { return first_; }
    bool ObjectStreams() const { return objectStreams_; }
    // The source at index, counted from first; read when it was not yet.
    const TakenSource &At(int index);
    // The bytes of the pieces of the first count sources, read as far as needed, but no further
    // than past most: the book of them is larger still.
    long long PieceBytes(int count, long long most);
    // Keeps only the first count sources and reads no more.
    void KeepFirst(int count);

private:
    const CompileRequest request_;
    const QStringList paths_;
    const int first_;
    const bool objectStreams_;
    const std::function<void(int)> read_;
    std::shared_ptr<PdfFile> numbered_; // the book whose numbering the pieces take; never written
    std::unique_ptr<BookInProgress> reading_;
    std::deque<TakenSource> taken_;
    std::vector<long long> bytesBefore_{0}; // the pieces' bytes before each source
    const long long most_;
    std::vector<long long> fileSizes_;
};

} // namespace qf
