#include "book/DocumentLevel.h"

namespace qf {

Status DocumentLevel::Add(QPDF &book, const QString &name, QPDF &source, int firstPage, int pages)
{
    try {
        const SourceInBook from(book, name, source, firstPage, pages);
        // The form gives the pages annotations of their own first: the links renamed next, and
        // the structure's references to annotations, are those on the pages.
        ReplacedObjects replaced;
        forms_.Add(book, from, replaced);
        destinations_.Add(book, from);
        structure_.Add(book, from, replaced);
        layers_.Add(book, from);
        labels_.Add(book, from);
        attachments_.Add(book, from);
    } catch (const std::exception &e) {
        return Status::Failed(name, QString::fromStdString(e.what()));
    }
    return Status::Ok();
}

void DocumentLevel::AddAlone(QPDF &book, const QString &name, int firstPage, int pages,
                             const SourcePiece &piece, BookWriter &writer)
{
    destinations_.AddWritten(book, name, firstPage, pages, piece.destinations);
    labels_.AddWritten(firstPage, pages, piece.labels);
    std::map<std::string, QPDFObjectHandle> files;
    const auto written = [&](int number) { return writer.Written(number); };
    for (const auto &[file, fileSpec] : piece.attachments)
        files[file] = Attached(fileSpec, written);
    attachments_.AddWritten(name, files);
    destinations_.AddRemote(
        book, piece.byTheBook,
        [&](QPDFObjectHandle object, int number) { writer.WriteAs(object, number); },
        [&](int number) { return writer.Written(number); });
    if (piece.layers)
        layers_.AddWritten(*piece.layers, written);
    if (piece.form)
        forms_.AddWritten(name, *piece.form, written);
    if (piece.structure)
        structure_.AddPiece(
            book, *piece.structure, [&](int number) { return writer.Written(number); },
            [&](QPDFObjectHandle object, int number) { writer.WriteAs(object, number); });
}

Status DocumentLevel::Finish(QPDF &book, int frontPages, const TextWriter &text)
{
    try {
        destinations_.ShiftPages(frontPages);
        labels_.ShiftPages(frontPages);
        destinations_.Finish(book, text);
        layers_.Finish(book);
        forms_.Finish(book);
        labels_.Finish(book);
        attachments_.Finish(book);
        structure_.Finish(book);
    } catch (const std::exception &e) {
        return Status::Failed(QString(), QString::fromStdString(e.what()));
    }
    return Status::Ok();
}

} // namespace qf
