#pragma once

#include "book/Import.h"

#include <utility>
#include <vector>

namespace qf {

// The book's page labels: a source's labels stay on its pages; once any source has labels, the
// other pages (other sources, blank sheets) are labelled with their page number in the book.
class PageLabels {
public:
    // A source written apart: its labels, by the page of the source they start on, as written.
    void AddWritten(int firstPage, int pages,
                    const std::vector<std::pair<long long, std::string>> &labels);
    void Finish(QPDF &book);
    // The sources' pages moved on by pages in the book; the pages before them are numbered.
    void ShiftPages(int pages);

private:
    std::vector<QPDFObjectHandle> entries_;     // page index, label, page index, label, ...
    std::vector<std::pair<int, int>> labelled_; // first page and page count
};

} // namespace qf
