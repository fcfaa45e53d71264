#pragma once

#include <qpdf/QPDF.hh>

#include <QList>
#include <QString>

#include <string>
#include <vector>

namespace qf {

// One of a document's own bookmarks, read apart from its document so that it can go into the
// book after the document was closed.
struct OwnBookmark {
    QString title;
    int page = -1;    // the zero-based page of the document it points at; -1 for none
    std::string view; // the rest of its destination, e.g. /XYZ 72 700 null
    bool open = false;
    QList<OwnBookmark> children;
};

// Reads a PDF's outline, each item's target (an explicit destination, a named one through /Dests
// or the /Names tree, or a GoTo action) taken to a page of the document. An item whose target is
// gone keeps its title. False, with what is wrong in damage, for an outline that loops or links to
// something that is no item.
bool ReadOwnBookmarks(QPDF &pdf, QList<OwnBookmark> &bookmarks, QString &damage);

// Puts bookmarks under parent, an item of the book's outline, their pages moved to start at
// firstPage; parent is closed, so the level above reads as before.
void AddOwnBookmarks(QPDF &book, QPDFObjectHandle parent, const QList<OwnBookmark> &bookmarks,
                     int firstPage);

} // namespace qf
