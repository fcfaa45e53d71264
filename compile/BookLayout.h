#pragma once

#include "core/Status.h"

#include <QList>
#include <QStringList>

#include <QString>
#include <functional>
#include <optional>

namespace qf {

// One bookmark of the book: its title and the zero-based page its document starts on.
struct BookmarkRow {
    QString title;
    int startPage = 0;
};
using BookmarkTable = QList<BookmarkRow>;

// A document's place in the book.
struct PlacedDocument {
    QString name;
    QString title;      // its bookmark's
    int pages = 0;      // 0 when left out
    int startPage = -1; // zero-based; -1 when left out
    bool blankAfter = false;
    Status status;       // not ok: why it was left out
    QString startNumber; // its start page's number as stamped on it; empty without page numbers
    // Not ok: it was left out, and a page in its place says why.
    Status missing = Status::Ok();
};

// The file-name component of a path: everything after the last separator.
QString FileNameFromPath(const QString &path);
// A document's bookmark title: its file name cut before the first ".".
QString BookmarkTitle(const QString &name);

// What a document's bookmark is called.
enum class BookmarkTitles {
    FirstDot, // the file name cut before its first "."
    FileName, // the file name without its last extension
    Title,    // the PDF's own title, or FileName where it has none
};
// The bookmark title of the document name whose PDF's own title is ownTitle.
QString BookmarkTitle(const QString &name, BookmarkTitles how, const QString &ownTitle);

// Lays the book out in list order. With blank sheets on, a document that ends on an odd page is
// followed by a blank sheet, but only once a next document is known to go in: the book never
// ends on one. The compile and its plan both lay the book out here.
class BookLayout {
public:
    explicit BookLayout(bool blankSheets) : blankSheets_(blankSheets) {}

    // Whether the next document that goes in is to be preceded by a blank sheet.
    bool BlankSheetDue() const;
    // The next document goes in with its pages, after the due blank sheet unless that sheet
    // could not be added; missing: why a page stands in its place instead.
    void Place(const QString &name, int pages, bool dueSheetAdded = true,
               const std::optional<QString> &title = std::nullopt,
               const Status &missing = Status::Ok());
    void LeaveOut(const QString &name, const Status &why);
    // Pages that go before the documents (an index, titled title, and its blank sheets).
    void PutInFront(const QString &title, int pages, int blankSheets);
    // Names each document's start page as its stamp does; number gives a page's (zero-based).
    void NumberStartPages(const std::function<QString(int)> &number);

    const QList<PlacedDocument> &Documents() const { return documents_; }
    int TotalPages() const { return totalPages_; }
    int BlankSheets() const { return blankSheetCount_; }
    // The pages in front, its blank sheets included, and those blank sheets.
    int FrontPages() const { return frontPages_; }
    int FrontBlankSheets() const { return frontBlankSheets_; }
    const QString &FrontTitle() const { return frontTitle_; }
    const QString &FrontNumber() const { return frontNumber_; }
    bool Empty() const { return totalPages_ == 0; }
    // One row per document that went in, in order, after one for the pages in front if any;
    // each title ends with its page's number when the pages are numbered.
    BookmarkTable Bookmarks() const;

private:
    bool blankSheets_;
    QList<PlacedDocument> documents_;
    qsizetype lastPlaced_ = -1;
    int totalPages_ = 0;
    int blankSheetCount_ = 0;
    int frontPages_ = 0;
    int frontBlankSheets_ = 0;
    QString frontTitle_;
    QString frontNumber_;
};

} // namespace qf
