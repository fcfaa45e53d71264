#include "compile/KeptSources.h"

#include "bundle/PageNumbers.h"
#include "compile/BookBundle.h"
#include "compile/MakeBook.h"
#include "core/Workspace.h"

#include <QFileInfo>

namespace qf {

namespace {

OwnFacts ReadOwnFacts(QPDF &source, const CompileRequest &request)
{
    OwnFacts facts;
    if (request.bookmarkTitles != BookmarkTitles::FirstDot)
        facts.title = OwnTitle(source);
    if (request.keepBookmarks)
        facts.bookmarksWhole = ReadOwnBookmarks(source, facts.bookmarks, facts.bookmarksDamage);
    return facts;
}

} // namespace

SourceFacts FactsFor(const CompileRequest &request)
{
    if (request.bookmarkTitles == BookmarkTitles::FirstDot && !request.keepBookmarks)
        return nullptr;
    return [request](QPDF &source) { return std::any(ReadOwnFacts(source, request)); };
}

TakenSource TakeSource(BookInProgress &book, const CompileRequest &request, const QString &path,
                       bool keepEnd)
{
    TakenSource taken;
    std::shared_ptr<PdfFile> source =
        book.Next(taken.status, taken.piece, keepEnd ? &taken.after : nullptr);
    taken.status = CountPages(source.get(), taken.status, path, taken.pages);
    if (source) {
        taken.version = source->version;
        taken.path = source->path;
        taken.repaired = source->pdf.anyWarnings();
        taken.encrypted = source->pdf.isEncrypted();
        if (taken.repaired)
            taken.repairs = RepairsOf(*source);
    }
    if (taken.status) {
        // Read with the piece, while the source still held what its writing let go of.
        OwnFacts *read = taken.piece ? std::any_cast<OwnFacts>(&taken.piece->facts) : nullptr;
        taken.own = read ? std::move(*read) : ReadOwnFacts(source->pdf, request);
        if (taken.piece)
            taken.piece->facts.reset();
    }
    book.Done(std::move(source));
    return taken;
}

KeptSources::KeptSources(const CompileRequest &request, const QStringList &paths, int first,
                         bool objectStreams, std::function<void(int)> read, long long most)
    : request_(request), paths_(paths.mid(first)), first_(first), objectStreams_(objectStreams),
      read_(std::move(read)), numbered_(NewBook()), most_(most)
{
    for (const QString &path : paths_)
        fileSizes_.push_back(QFileInfo(path).size());
    QStringList names;
    for (qsizetype i = first; i < request.names.size(); ++i)
        names.append(FileNameFromPath(request.names.at(i)));
    const BookBundle bundle(request);
    reading_ = std::make_unique<BookInProgress>(
        *numbered_, objectStreams, [](std::string_view) { return true; }, nullptr, paths_, names,
        bundle.Stamping(), true, PieceChangesOf(request), FactsFor(request), request.passwords);
}

const TakenSource &KeptSources::At(int index)
{
    while (qsizetype(taken_.size()) <= index) {
        if (most_ >= 0) {
            qsizetype ahead = qsizetype(taken_.size());
            for (long long guessed = bytesBefore_.back();
                 ahead < qsizetype(fileSizes_.size()) && guessed <= most_; ++ahead)
                guessed += fileSizes_.at(size_t(ahead));
            reading_->ReadUpTo(ahead + 1);
        }
        taken_.push_back(
            TakeSource(*reading_, request_, paths_.at(qsizetype(taken_.size())), true));
        const TakenSource &last = taken_.back();
        bytesBefore_.push_back(
            bytesBefore_.back() +
            (last.piece ? static_cast<long long>(last.piece->written.bytes.size()) : 0));
        if (read_)
            read_(first_ + int(taken_.size()) - 1);
    }
    return taken_.at(size_t(index));
}

long long KeptSources::PieceBytes(int count, long long most)
{
    for (int i = 0; i < count; ++i) {
        At(i);
        if (bytesBefore_.at(size_t(i) + 1) > most)
            return bytesBefore_.at(size_t(i) + 1);
    }
    return bytesBefore_.at(size_t(count));
}

void KeptSources::KeepFirst(int count)
{
    reading_.reset();
    if (qsizetype(taken_.size()) > count) {
        taken_.resize(size_t(count));
        bytesBefore_.resize(size_t(count) + 1);
    }
}

} // namespace qf
