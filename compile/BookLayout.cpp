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

QString BookmarkTitle(const QString &name, BookmarkTitles how, const QString &ownTitle)
{
    switch (how) {
    case BookmarkTitles::FirstDot:
        return BookmarkTitle(name);
    case BookmarkTitles::Title:
        if (!ownTitle.trimmed().isEmpty())
            return ownTitle.simplified();
        break;
    case BookmarkTitles::FileName:
        break;
    }
    const QString fileName = FileNameFromPath(name);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? fileName : fileName.left(dot);
}

bool BookLayout::BlankSheetDue() const
{
    return blankSheets_ && lastPlaced_ >= 0 && documents_.at(lastPlaced_).pages % 2 == 1;
}

void BookLayout::Place(const QString &name, int pages, bool dueSheetAdded,
                       const std::optional<QString> &title, const Status &missing)
{
    if (BlankSheetDue() && dueSheetAdded) {
        documents_[lastPlaced_].blankAfter = true;
        ++blankSheetCount_;
        ++totalPages_;
    }
    documents_.append({name,
                       title.value_or(BookmarkTitle(name)),
                       pages,
                       totalPages_,
                       false,
                       Status::Ok(),
                       {},
                       missing});
    totalPages_ += pages;
    lastPlaced_ = documents_.size() - 1;
}

void BookLayout::LeaveOut(const QString &name, const Status &why)
{
    documents_.append({name, BookmarkTitle(name), 0, -1, false, why, {}, Status::Ok()});
}

void BookLayout::PutInFront(const QString &title, int pages, int blankSheets)
{
    const int shift = pages + blankSheets;
    for (PlacedDocument &doc : documents_)
        if (doc.status)
            doc.startPage += shift;
    frontTitle_ = title;
    frontPages_ += shift;
    frontBlankSheets_ += blankSheets;
    totalPages_ += shift;
    blankSheetCount_ += blankSheets;
}

void BookLayout::NumberStartPages(const std::function<QString(int)> &number)
{
    if (frontPages_ > 0)
        frontNumber_ = number(0);
    for (PlacedDocument &doc : documents_)
        if (doc.status)
            doc.startNumber = number(doc.startPage);
}

BookmarkTable BookLayout::Bookmarks() const
{
    const auto titled = [](const QString &title, const QString &number) {
        return number.isEmpty() ? title : title + QStringLiteral(" — ") + number;
    };
    BookmarkTable table;
    if (frontPages_ > 0)
        table.append({titled(frontTitle_, frontNumber_), 0});
    for (const PlacedDocument &doc : documents_)
        if (doc.status)
            table.append({titled(doc.title, doc.startNumber), doc.startPage});
    return table;
}

} // namespace qf
