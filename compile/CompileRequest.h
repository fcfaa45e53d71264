#pragma once

#include "book/PageFit.h"
#include "book/PdfFile.h"
#include "book/SourcePiece.h"
#include "compile/BookLayout.h"
#include "compile/Volumes.h"
#include "core/BookChoices.h"
#include "core/Status.h"

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
    PageFit pageFit{};           // the size every page takes; none: pages as they are
    bool forFiling = false;      // a book as filing portals take it: no form, scripts or files
    QString numberRoom{};        // where pages' content makes room for their numbers (BookChoices)
    Passwords passwords{};       // for the PDFs that need one, by path (as SourcePaths gives it)
};

// The password given for the PDF read from path; empty for none.
QString PasswordFor(const CompileRequest &request, const QString &path);

// What is made of the sources' pages before they go into the request's book.
inline PieceChanges PieceChangesOf(const CompileRequest &request)
{
    // Blank sheets and the index take the size every source's pages share.
    const bool madePages = (request.blankSheets && !request.fitBlankSheets) || request.indexPage;
    return {request.pageFit, request.forFiling, madePages && !request.pageFit};
}

// The folder's choices for the book into the request.
void TakeBookChoices(CompileRequest &request, const BookChoices &choices);

// The book's title as the request gives it: its own, else the working folder's name, else (for a
// folder with no name, the root) the book's file name without ".pdf".
QString BookTitleOf(const CompileRequest &request);

// The request's PDFs, each as a path in the working folder.
QStringList SourcePaths(const CompileRequest &request);

// Makes the output folder, unless it is a link that leads out of the working folder. An old book of
// the output path's name is not deleted here: the complete new one replaces it at the end, so a
// run that makes no book, or is killed, loses none.
Status PrepareOutput(const QString &workingFolder, const QString &folder,
                     const QString &outputPath);

} // namespace qf
