#pragma once

#include "book/Attachments.h"
#include "book/Destinations.h"
#include "book/FormFields.h"
#include "book/Import.h"
#include "book/Layers.h"
#include "book/PageLabels.h"
#include "book/PdfWrite.h"
#include "book/StructureTree.h"

#include "core/Status.h"

namespace qf {

// What the book keeps of each source beyond its pages: named destinations and the links that
// use them, form fields, layers, page labels, attached files and the tagged structure. Each
// source's piece is added right after its pages went in; Finish writes the book's catalog once
// all are in.
class DocumentLevel {
public:
    // A source written apart from the book by writer, its pages from firstPage on.
    void Add(QPDF &book, const QString &name, int firstPage, int pages, const SourcePiece &piece,
             BookWriter &writer);
    // The PDFs of the other volumes, when the book is one of a set: links to them open those.
    void SetOtherVolumes(std::vector<InAnotherVolume> others)
    {
        destinations_.SetOtherVolumes(std::move(others));
    }
    // frontPages: pages put in front of the sources' since they were added; text, when given,
    // writes the parts a book holds most of as text.
    Status Finish(QPDF &book, int frontPages = 0, const TextWriter &text = nullptr);

private:
    Destinations destinations_;
    FormFields forms_;
    Layers layers_;
    PageLabels labels_;
    Attachments attachments_;
    StructureTree structure_;
};

} // namespace qf
