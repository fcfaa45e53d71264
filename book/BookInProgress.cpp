#include "book/BookInProgress.h"

namespace qf {

BookInProgress::BookInProgress(PdfFile &book, bool objectStreams, ByteSink sink,
                               BookWriter::HeaderPatch patch, const QStringList &paths,
                               const QStringList &names, PageChange change, bool keepEnds,
                               PieceChanges changes, SourceFacts facts, Passwords passwords)
    : writer_(book, objectStreams, std::move(sink), std::move(patch)),
      reader_(std::make_unique<SourceReader>(paths, names, writer_.Numbering(), std::move(change),
                                             keepEnds, changes, std::move(facts),
                                             std::move(passwords)))
{}

BookInProgress::BookInProgress(PdfFile &book, bool objectStreams, ByteSink sink,
                               BookWriter::HeaderPatch patch)
    : writer_(book, objectStreams, std::move(sink), std::move(patch))
{}

} // namespace qf
