#pragma once

#include "automation/PdfSuite.h"
#include "compile/BookLayout.h"
#include "core/JobObserver.h"
#include "core/Status.h"

#include <QString>

#include <functional>

namespace qf {

// Opens the saved book in the viewer, adds one bookmark per row through its "NewBookmark" menu
// item, and saves it through its "Save" menu item, leaving the viewer on page 1. A book the
// viewer cannot open gets the message "Could not open file" and no bookmarks. beforeSave may add
// to the book, bookmarks made, before it is saved.
Status BookmarkBook(PdfSuite &suite, const QString &outputPath, const BookmarkTable &table,
                    const std::function<void(const Notice &)> &tell,
                    const std::function<void(PdfFile &book)> &beforeSave = {});

} // namespace qf
