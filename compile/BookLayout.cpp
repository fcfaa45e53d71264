#include "compile/BookLayout.h"

namespace qf {

QString FileNameFromPath(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString BookmarkTitle(const QString &name)
{
    const QString fileName = FileNameFromPath(name);
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

bool BookLayout::BlankSheetDue() const
{
    return blankSheets_ && lastPlaced_ >= 0 && documents_.at(lastPlaced_).pages % 2 == 1;
}

void BookLayout::Place(const QString &name, int pages, bool dueSheetAdded)
{
    if (BlankSheetDue() && dueSheetAdded) {
        documents_[lastPlaced_].blankAfter = true;
        ++blankSheetCount_;
        ++totalPages_;
    }
    documents_.append({name, BookmarkTitle(name), pages, totalPages_, false, Status::Ok()});
    totalPages_ += pages;
    lastPlaced_ = documents_.size() - 1;
}

void BookLayout::LeaveOut(const QString &name, const Status &why)
{
    documents_.append({name, BookmarkTitle(name), 0, -1, false, why});
}

BookmarkTable BookLayout::Bookmarks() const
{
    BookmarkTable table;
    for (const PlacedDocument &doc : documents_)
        if (doc.status)
            table.append({doc.title, doc.startPage});
    return table;
}

} // namespace qf
