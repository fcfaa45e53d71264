#pragma once

#include "book/SharedStreams.h"
#include "compile/BookLayout.h"
#include "compile/BookViewer.h"
#include "compile/Volumes.h"
#include "core/BookChoices.h"
#include "core/JobObserver.h"
#include "core/Status.h"
#include "ocr/RecogniseScans.h"

#include <QStringList>

namespace qf {

inline const QString kOutputFolderName = QStringLiteral("PDFCompile Output");
inline const QString kEmptyPageFileName = QStringLiteral("empty_page.pdf");

// Where the book named name is written: in the working folder's output folder.
QString BookPath(const QString &workingFolder, const QString &name);
// The book's title: its file name without ".pdf".
QString BookTitle(const QString &bookName);
// Ok for a plain file name; otherwise says why the book cannot be written under it.
Status CheckOutputFileName(const QString &name);
// Ok for a page-number format the book can be numbered with; otherwise says why not.
Status CheckPageNumberFormat(const QString &format);

struct CompileRequest {
    QString workingFolder;
    QStringList names; // the PDFs of the working folder to compile, in order
    QString bookName;  // the book's file name in the output folder
    bool blankSheets = false;
    QString programFolder;       // holds empty_page.pdf
    bool fitBlankSheets = false; // each blank sheet the size of the page before it
    bool keepBookmarks = false;  // each document's own bookmarks under its bookmark
    bool compact = true;         // object streams, unless every source is older than PDF 1.5
    bool linearized = false;     // for fast web view
    BookmarkTitles bookmarkTitles = BookmarkTitles::FirstDot;
    bool indexPage = false; // an index of the documents in front, each line a link
    QString title{};        // the index's and the PDF's title; empty: the working folder's name
    QString pageNumbers{};  // how every page is numbered (see PageNumberFormat); empty: not
    bool recogniseScans = false; // scanned pages made searchable before they go in
    QString ocrLanguages{};      // e.g. "eng+deu"; empty: English and the desktop's language
    QString ocrCache{};          // where recognised copies are kept; empty: the user's cache
    QString volumeLimit{};       // e.g. "300 pages" or "20 MB"; empty: one book
    VolumePlace place{};         // where the book stands in a set of volumes
};

// The folder's choices for the book into the request.
void TakeBookChoices(CompileRequest &request, const BookChoices &choices);

// The book's title as the request gives it: its own, else the working folder's name, else (for a
// folder with no name, the root) the book's file name without ".pdf".
QString BookTitleOf(const CompileRequest &request);

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

struct CompileResult {
    explicit CompileResult(bool blankSheets = false) : layout(blankSheets) {}
    QString book;      // the book's path; empty when no book was made
    BookLayout layout; // each document's place in the book, or why it was left out
    Problems problems;
    Problems notes;       // sources repaired as they were read, nothing of them lost: no warning
    bool stopped = false; // the user stopped the run: no book was written
    SharedStreams shared; // what keeping the sources' identical streams once saved
    long long bytes = 0;  // the book's size
    QList<RecognisedDocument> recognised; // the PDFs whose scanned pages were made searchable
    QList<Notice> notices;                // warnings the user was told at once, kept for the report
    QList<BookVolume> volumes;            // with a volume limit, in order; book is the first
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
    QList<BookVolume> volumes; // with a volume limit, how the documents fall into volumes
};

// The book CompileBook would make, worked out without writing anything.
BookPlan PlanBook(const CompileRequest &request);

} // namespace qf
