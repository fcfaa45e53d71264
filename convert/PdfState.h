#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qf {

// Whether a conversion would make a document's PDF anew.
enum class PdfState { UpToDate, Missing, Older };

// The state of the PDF of each named document of folder, the PDF found as the conversion finds
// it (the document's name cut at its last dot, then ".PDF", in any letter case). The
// folder is read once, so a folder of thousands of documents costs one listing.
QList<PdfState> PdfStatesOf(const QString &folder, const QStringList &documents);

// What the document list's mark says: "No PDF yet", "The PDF is older than the document"; empty
// for an up-to-date PDF.
QString PdfStateMark(PdfState state);

} // namespace qf
