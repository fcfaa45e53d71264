#pragma once

#include "book/SharedStreams.h"
#include "compile/BookLayout.h"
#include "compile/BookViewer.h"
#include "compile/CompileRequest.h"
#include "compile/Volumes.h"
#include "core/BookChoices.h"
#include "core/JobObserver.h"
#include "core/Status.h"
#include "ocr/RecogniseScans.h"

#include <QStringList>

#include <algorithm>

namespace qf {

// One volume of a book cut into volumes.
struct BookVolume {
    QString path;
    BookLayout layout{false}; // its documents, each start page its own
    long long bytes = -1;
    int pagesBefore = 0; // the pages of the volumes before it
};

// The documents of every volume, each that went in starting where its volume puts it in the
// whole set.
QList<PlacedDocument> DocumentsInVolumes(const QList<BookVolume> &volumes);

// What making the book took out of a source, as a filing copy does.
struct BookChange {
    QString file; // the source's path
    QString change;
};

// The pages whose content was scaled down to keep their numbers clear of it.
struct NumberRoomTaken {
    int pages = 0;
    double leastScale = 1;
    void Add(int more, double scale)
    {
        pages += more;
        leastScale = std::min(leastScale, scale);
    }
};

// "12 pages shrunk by at most 4% to keep their numbers clear"; empty when none was.
QString NumberRoomText(const NumberRoomTaken &room);

struct CompileResult {
    explicit CompileResult(bool blankSheets = false) : layout(blankSheets) {}
    QString book;      // the book's path; empty when no book was made
    BookLayout layout; // each document's place in the book, or why it was left out
    Problems problems;
    Problems notes;       // sources repaired as they were read, nothing of them lost: no warning
    bool stopped = false; // the user stopped the run: no book was written
    SharedStreams shared; // what keeping the sources' identical streams once saved
    long long bytes = 0;  // the book's size
    int scaledPages = 0;  // pages scaled to the size the request asks for
    NumberRoomTaken numberRoom;
    QList<BookChange> changes; // what a filing copy took out of its sources, in list order
    QList<RecognisedDocument> recognised; // the PDFs whose scanned pages were made searchable
    QList<Notice> notices;                // warnings the user was told at once, kept for the report
    // Warnings kept for the run's end, said with its other messages: a run goes on without an
    // answer. notices holds them for the report, by file.
    QStringList saidAtEnd;
    QList<BookVolume> volumes; // with a volume limit, in order; book is the first
};

// Builds the book from the request's PDFs, in order, with a blank sheet after a document that
// ends on an odd page when asked (never after the last), one bookmark per document, written
// once, and shows it in the desktop's viewer. A PDF that cannot be read is left out and named in
// the problems; an old book is replaced only by a complete new one. Stopped by the observer, it
// writes nothing.
CompileResult CompileBook(const CompileRequest &request, JobObserver &observer, BookViewer &viewer);

struct BookPlan {
    BookLayout layout{false};
    SharedStreams shared;
    long long bytes = -1;      // the book's size; -1 when unknown
    int scaledPages = 0;       // pages scaled to the size the request asks for
    QList<BookVolume> volumes; // with a volume limit, how the documents fall into volumes
};

// The book CompileBook would make, worked out without writing anything.
BookPlan PlanBook(const CompileRequest &request);

} // namespace qf
