#pragma once

#include <QString>
#include <QStringList>

namespace qf {

// The folder's choices for the book beyond its name and blank sheets, each as it is by default
// unless the folder's user changed it (in the lists' menus, on the batch command's line or, for
// compactBook, in the settings file).
struct BookChoices {
    bool fitBlankSheets = false; // a blank sheet the size of the page before it
    bool keepBookmarks = false;  // each PDF's own bookmarks under its bookmark in the book
    bool compactBook = true;     // object streams: on unless the folder turns it off
    bool linearized = false;     // a book for fast web view
    QStringList documentTypes{QStringLiteral("DOC")}; // the documents listed and converted
    bool indexPage = false; // an index of the documents in front of the book
    QString pageNumbers;    // how the book's pages are numbered, e.g. "{n}"; empty: not numbered
    QString bookmarkTitles; // kBookmarkTitlesFileName or ...OwnTitle; empty: cut at the first "."
    QString bookTitle;      // the index's and the PDF's title; empty: the folder's name
    bool naturalOrder = false; // both lists, and so the book, with 2 before 10
    // Converted PDFs tagged, for screen readers and reflow: on unless the folder turns it off.
    bool taggedPdf = true;
    bool ocr = false;       // scanned pages made searchable in the book
    QString ocrLanguages;   // e.g. "eng+deu"; empty: English and the desktop's language
    QString volumeLimit;    // the book cut into volumes of "300 pages" or "20 MB"; empty: one book
    QString pageSize;       // kPageSizeA4 or kPageSizeLetter: every page scaled to it; empty: as is
    bool forFiling = false; // the book as a filing portal takes it
    // Where a numbered page's content is scaled down to keep its number clear: kRoomAsNeeded
    // (those whose content stands where the number goes), kRoomAlways (every page alike) or
    // kRoomNone (the number over the content); set in the settings file.
    QString numberRoom;
};

inline const QString kBookmarkTitlesFileName = QStringLiteral("name");
inline const QString kBookmarkTitlesOwnTitle = QStringLiteral("title");
inline const QString kPageSizeA4 = QStringLiteral("A4");
inline const QString kPageSizeLetter = QStringLiteral("Letter");
inline const QString kRoomAsNeeded = QString();
inline const QString kRoomAlways = QStringLiteral("always");
inline const QString kRoomNone = QStringLiteral("none");

} // namespace qf
