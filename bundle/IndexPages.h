#pragma once

#include "text/EmbeddedFont.h"

#include <qpdf/QPDF.hh>

#include <QList>
#include <QString>
#include <QStringList>

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

// The paper the index is set on, upright: A4 unless the book's pages take another size.
struct IndexPaper {
    double width = 595.276, height = 841.89;
};

// The room the index keeps for its page numbers: the widest of them.
double IndexNumberWidth(const EmbeddedFont &font, const QStringList &numbers);

// How many pages the index of these titles takes under the book's title, each title wrapped onto
// as many lines as it needs, its last line leaving numberWidth for the page number.
int IndexPageCount(const EmbeddedFont &font, const QString &bookTitle, const QStringList &titles,
                   double numberWidth, const IndexPaper &paper = {});

// Puts the index in front of the book's pages, on paper: the book's title, wrapped, then an entry
// per document, its title wrapped, with dotted leaders on its last line to its page's number, over
// at least pages pages (more when the entries need them). A blank page follows when asked. Every
// entry links to its page over all its lines.
void PutIndexInFront(QPDF &book, const QString &bookTitle, const QList<IndexLine> &lines, int pages,
                     bool blankPageAfter, EmbeddedFont &font, const IndexPaper &paper = {});

// A page for a document left out of the book, on paper: its file name, and below it why it is
// missing. The caller puts it into the book.
QPDFObjectHandle MissingDocumentPage(QPDF &book, const QString &fileName, const QString &reason,
                                     EmbeddedFont &font, const IndexPaper &paper = {});

} // namespace qf
