#pragma once

#include "automation/PdfSuite.h"
#include "window/Controls.h"
#include "window/Status.h"

#include <QList>
#include <QString>

namespace qf {

// One bookmark of the book: its title and the zero-based page its document starts on.
struct BookmarkRow {
    QString title;
    int startPage = 0;
};
using BookmarkTable = QList<BookmarkRow>;

inline const QString kCouldNotOpenFile = QStringLiteral("Could not open file");

// Opens the saved book in the viewer, adds one bookmark per row through its "NewBookmark" menu
// item, and saves it through its "Save" menu item, leaving the viewer on page 1. A book the
// viewer cannot open gets the message "Could not open file" and no bookmarks.
Status BookmarkBook(PdfSuite &suite, const QString &outputPath, const BookmarkTable &table,
                    MessageBox &messages);

} // namespace qf
