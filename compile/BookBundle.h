#pragma once

#include "book/PdfWrite.h"
#include "bundle/IndexPages.h"
#include "bundle/PageNumberFormat.h"
#include "bundle/PageNumbers.h"
#include "compile/BookLayout.h"
#include "compile/CompileBook.h"
#include "text/EmbeddedFont.h"

#include <qpdf/QPDF.hh>

#include <memory>
#include <optional>

namespace qf {

// The book as a bundle, as the folder chose: an index of its documents in front and every page
// numbered, the index, the stamps, the labels and the bookmarks all saying the same numbers.
class BookBundle {
public:
    explicit BookBundle(const CompileRequest &request);
    bool Wanted() const { return index_ || format_; }
    // Whether every page gets its number stamped.
    bool Stamps() const { return format_ && font_; }
    // What a source's pages need for their stamps, made on its thread; none without stamps.
    PageChange Stamping() const;
    // Whether a document left out keeps its place in the book, on a page that says why.
    bool Placeholders() const { return Wanted() && font_; }
    // That page, for the document of file name left out for reason; the book puts it in.
    QPDFObjectHandle MissingPage(QPDF &book, const QString &fileName, const QString &reason);

    // The paper the index is set on, when the request chose none: the size the book's pages share.
    void SetPaper(const IndexPaper &paper)
    {
        if (!fitted_)
            paper_ = paper;
    }
    // Puts the index in front of the assembled documents, with a blank sheet after it when blank
    // sheets are on and it ends on an odd page; the layout moves along. The pages put in front.
    int PutIndexInFront(QPDF &book, BookLayout &layout);
    // The pages the first volume's index takes at most (its blank sheet aside), in a set of
    // volumes of mostPages pages in all whose documents have these titles.
    int IndexPagesInSet(const QStringList &titles, int volumes, int mostPages) const;
    // Numbers every page and names the documents' start pages in the layout; then the font goes
    // in. Once all pages are in and the document-level data is finished.
    // standIns: the pages written apart, prepared by StampChange.
    Status Finish(QPDF &book, BookLayout &layout, const StandIns *standIns = nullptr);

private:
    // A page's number (zero-based page) as everything in the book names it.
    QString Number(int page, int total) const;

    // Page numbers of the whole set, as each line of the index says them.
    QString IndexNumber(int number, int total, int volume) const;

    VolumePlace place_;
    bool index_ = false;
    bool blankSheets_ = false;
    NumberRoom numberRoom_ = NumberRoom::AsNeeded;
    QString title_;
    IndexPaper paper_;    // the index's
    bool fitted_ = false; // its paper is the size the request chose
    std::optional<PageNumberFormat> format_;
    std::unique_ptr<EmbeddedFont> font_;
    Status status_;
};

} // namespace qf
