#pragma once

#include "compile/CompileRequest.h"

#include <QList>
#include <QString>

namespace qf {

// One thing in the book a filing portal (a court's, a regulator's) usually refuses.
struct FilingFinding {
    enum class Kind {
        PageSize,
        FontNotEmbedded,
        Form,
        JavaScript,
        ActiveContent,
        Attachment,
        Encrypted,
        NoText,
        Size
    };
    QString file; // the PDF's path, or the book's for its size
    int page = 0; // 1-based in the file; 0 when it concerns no one page
    Kind kind = Kind::PageSize;
    QString detail; // a plain sentence, without the file
};

// The name scripts read: "page-size", "font-not-embedded", ...
QString KindName(FilingFinding::Kind kind);

// The finding as a line for people: "FILE, page N: detail".
QString FindingLine(const FilingFinding &finding);
// What a check that found nothing says.
QString NothingForFilingSaid();

// Reads the request's PDFs, in order, as the compile would take them, and changes nothing. The
// book's size is measured when a volume limit is set. A PDF that cannot be read is left to the
// compile, which names it.
QList<FilingFinding> CheckForFiling(const CompileRequest &request);

} // namespace qf
