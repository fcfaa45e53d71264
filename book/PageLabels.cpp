#include "book/PageLabels.h"

#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>

#include <map>

namespace qf {
namespace {

QPDFObjectHandle PageNumberFrom(int index)
{
    QPDFObjectHandle label = QPDFObjectHandle::newDictionary();
    label.replaceKey("/S", QPDFObjectHandle::newName("/D"));
    if (index > 0)
        label.replaceKey("/St", QPDFObjectHandle::newInteger(index + 1));
    return label;
}

} // namespace

void PageLabels::AddWritten(int firstPage, int pages,
                            const std::vector<std::pair<long long, std::string>> &labels)
{
    if (labels.empty() || pages < 1)
        return;
    for (const auto &[page, label] : labels) {
        entries_.push_back(QPDFObjectHandle::newInteger(firstPage + page));
        entries_.push_back(QPDFObjectHandle::parse(label));
    }
    labelled_.emplace_back(firstPage, pages);
}

void PageLabels::ShiftPages(int pages)
{
    for (size_t i = 0; i + 1 < entries_.size(); i += 2)
        entries_[i] = QPDFObjectHandle::newInteger(entries_[i].getIntValue() + pages);
    for (auto &[first, count] : labelled_)
        first += pages;
}

void PageLabels::Finish(QPDF &book)
{
    if (labelled_.empty())
        return;
    std::map<long long, QPDFObjectHandle> labels;
    for (size_t i = 0; i + 1 < entries_.size(); i += 2)
        labels[entries_[i].getIntValue()] = entries_[i + 1];
    // Each stretch of pages no source labels starts a run of page numbers.
    const int total = int(book.getAllPages().size());
    int page = 0;
    for (const auto &[first, count] : labelled_) {
        if (page < first)
            labels.emplace(page, PageNumberFrom(page));
        page = first + count;
    }
    if (page < total)
        labels.emplace(page, PageNumberFrom(page));
    auto tree = QPDFNumberTreeObjectHelper::newEmpty(book);
    for (auto &[index, label] : labels)
        tree.insert(index, label);
    book.getRoot().replaceKey("/PageLabels", tree.getObjectHandle());
}

} // namespace qf
