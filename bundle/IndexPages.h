#pragma once

#include "bundle/EmbeddedFont.h"

#include <qpdf/QPDF.hh>

#include <QList>
#include <QString>

namespace qf {

// One line of the index: a document's title and the number of the page it starts on, a link to
// that page.
struct IndexLine {
    QString title;
    QString pageNumber;
    QPDFObjectHandle page;
    // A page of another file beside the book instead (a later volume): its name, and the page,
    // zero-based.
    QString file{};
    int filePage = 0;
};

// How many pages the index of so many lines takes.
int IndexPageCount(qsizetype lines);

// Puts the index in front of the book's pages, on A4: the book's title, then a line per document
// with dotted leaders to its page's number, over as many pages as the lines need. A blank page
// follows when asked. Every line links to its page.
void PutIndexInFront(QPDF &book, const QString &bookTitle, const QList<IndexLine> &lines,
                     bool blankPageAfter, EmbeddedFont &font);

} // namespace qf
