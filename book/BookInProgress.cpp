#include "book/BookInProgress.h"

namespace qf {

BookInProgress::BookInProgress(PdfFile &book, bool objectStreams, ByteSink sink,
                               BookWriter::HeaderPatch patch, const QStringList &paths,
                               const QStringList &names, PageChange change)
    : writer_(book, objectStreams, std::move(sink), std::move(patch)),
      reader_(paths, names, writer_.Numbering(), std::move(change))
{}

} // namespace qf
