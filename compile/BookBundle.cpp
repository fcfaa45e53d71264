#include "compile/BookBundle.h"

#include "bundle/IndexPages.h"
#include "bundle/PageNumbers.h"

#include <QCoreApplication>

#include <algorithm>

namespace qf {

BookBundle::BookBundle(const CompileRequest &request)
    : place_(request.place), index_(request.indexPage), blankSheets_(request.blankSheets),
      numberRoom_(request.numberRoom == kRoomAlways ? NumberRoom::Always
                  : request.numberRoom == kRoomNone ? NumberRoom::None
                                                    : NumberRoom::AsNeeded),
      title_(BookTitleOf(request))
{
    if (request.pageFit) {
        paper_ = {request.pageFit.width, request.pageFit.height};
        fitted_ = true;
    }
    if (!request.pageNumbers.isEmpty()) {
        QString problem;
        format_ = PageNumberFormat::Parse(request.pageNumbers, &problem);
        if (!format_)
            status_ = Status::Failed(
                QString(), QCoreApplication::translate("Bundle", "The page numbers \"%1\" cannot "
                                                                 "be used: the format %2.")
                               .arg(request.pageNumbers, problem));
    }
    if (Wanted() && status_) {
        Status opened;
        font_ = EmbeddedFont::Open(kTextFontPath, opened);
        if (!font_)
            status_ = Status::Failed(
                opened.file(),
                QCoreApplication::translate("Bundle", "%1, so the book has no index and no page "
                                                      "numbers")
                    .arg(opened.reason()));
    }
}

PageChange BookBundle::Stamping() const
{
    if (!Stamps())
        return {};
    return StampChange(*format_, *font_, numberRoom_);
}

QString BookBundle::Number(int page, int total) const
{
    const int number = place_.firstNumber + page;
    return format_
               ? format_->Reference(number, place_.numberedTotal > 0 ? place_.numberedTotal : total)
               : QString::number(number);
}

QString BookBundle::IndexNumber(int number, int total, int volume) const
{
    return QCoreApplication::translate("Bundle", "vol. %1, %2")
        .arg(volume)
        .arg(format_ ? format_->Reference(number, total) : QString::number(number));
}

int BookBundle::PutIndexInFront(QPDF &book, BookLayout &layout)
{
    if (!index_ || !font_ || layout.Empty())
        return 0;
    QList<IndexLine> lines;
    QStringList titles;
    const std::vector<QPDFObjectHandle> &pages = book.getAllPages();
    for (const PlacedDocument &doc : layout.Documents())
        if (doc.status) {
            lines.append({doc.title, QString(), pages.at(size_t(doc.startPage))});
            titles.append(doc.title);
        }
    const qsizetype own = lines.size();
    // The later volumes' documents, each line a link into its volume.
    QStringList laterNumbers;
    for (const IndexedElsewhere &doc : place_.later) {
        lines.append({doc.title, IndexNumber(doc.number, place_.numberedTotal, doc.volume),
                      QPDFObjectHandle(), doc.volumeFile, doc.page});
        titles.append(doc.title);
        laterNumbers.append(lines.last().pageNumber);
    }
    const int body = layout.TotalPages();
    const auto blankAfter = [&](int indexPages) {
        return blankSheets_ && indexPages % 2 == 1 ? 1 : 0;
    };
    // The numbers the index's lines show, in their order, were it so many pages long.
    const auto numbersWith = [&](int indexPages) {
        const int front = indexPages + blankAfter(indexPages);
        QStringList numbers;
        for (const PlacedDocument &doc : layout.Documents())
            if (doc.status)
                numbers.append(place_.volume > 0
                                   ? IndexNumber(place_.firstNumber + doc.startPage + front,
                                                 place_.numberedTotal, place_.volume)
                                   : Number(doc.startPage + front, body + front));
        return numbers + laterNumbers;
    };
    // Longer numbers may wrap a title onto another line, so the count settles by trying; a count
    // that would shrink again keeps the longer index, its last page partly empty.
    int indexPages = std::max(place_.indexPages, 1);
    for (;;) {
        const int needed = IndexPageCount(
            *font_, title_, titles, IndexNumberWidth(*font_, numbersWith(indexPages)), paper_);
        if (needed <= indexPages)
            break;
        indexPages = needed;
    }
    const QStringList numbers = numbersWith(indexPages);
    for (qsizetype line = 0; line < own; ++line)
        lines[line].pageNumber = numbers.at(line);
    const int blank = blankAfter(indexPages);
    layout.PutInFront(QCoreApplication::translate("Bundle", "Index"), indexPages, blank);
    qf::PutIndexInFront(book, title_, lines, indexPages, blank == 1, *font_, paper_);
    return indexPages + blank;
}

QPDFObjectHandle BookBundle::MissingPage(QPDF &book, const QString &fileName, const QString &reason)
{
    return MissingDocumentPage(book, fileName, reason, *font_, paper_);
}

int BookBundle::IndexPagesInSet(const QStringList &titles, int volumes, int mostPages) const
{
    if (!index_ || !font_ || titles.isEmpty())
        return 0;
    // Numbers are decimal, all digits of one width: the last number is the widest. Without a
    // size chosen the index takes the size the pages share, which only the book knows: the
    // count holds for A4 and Letter both, the narrower and the shorter.
    IndexPaper paper = paper_;
    if (!fitted_)
        paper = {std::min(paper_.width, 612.0), std::min(paper_.height, 792.0)};
    return IndexPageCount(*font_, title_, titles,
                          IndexNumberWidth(*font_, {IndexNumber(mostPages, mostPages, volumes)}),
                          paper);
}

Status BookBundle::Finish(QPDF &book, BookLayout &layout, const StandIns *standIns)
{
    if (!status_)
        return status_;
    if (!font_)
        return Status::Ok();
    if (format_) {
        try {
            NumberPages(book, *format_, *font_, standIns, place_.firstNumber, place_.numberedTotal);
        } catch (const std::exception &e) {
            return Status::Failed(
                QString(),
                QCoreApplication::translate("Bundle", "The pages could not all be numbered (%1).")
                    .arg(QString::fromStdString(e.what())));
        }
        const int total = layout.TotalPages();
        layout.NumberStartPages([&](int page) { return Number(page, total); });
    }
    return font_->Embed(book);
}

} // namespace qf
