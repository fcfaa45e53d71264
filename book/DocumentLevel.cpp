#include "book/DocumentLevel.h"

namespace qf {

void DocumentLevel::Add(QPDF &book, const QString &name, int firstPage, int pages,
                        const SourcePiece &piece, BookWriter &writer)
{
    destinations_.AddWritten(book, name, firstPage, pages, piece.destinations, piece.moves);
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
