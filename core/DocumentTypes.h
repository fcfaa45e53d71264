#pragma once

#include <QString>
#include <QStringList>

namespace qf {

// The kinds of document a folder lists and converts, by extension in upper case, in this order.
inline const QStringList kKnownDocumentTypes = {QStringLiteral("DOC"), QStringLiteral("DOCX"),
                                                QStringLiteral("DOCM"), QStringLiteral("ODT"),
                                                QStringLiteral("RTF")};

// The types named in text (blanks or commas between them, any case), known ones only, in the
// known order; DOC alone when there are none. unknown gets the names that are no type.
QStringList ParseDocumentTypes(const QString &text, QStringList *unknown = nullptr);

// Whether a file name is of one of the types (its extension, in any case).
bool IsDocumentOfTypes(const QString &name, const QStringList &types);

// The name of a document's PDF: its name cut at the last dot, then "PDF" ("Report.docx" gives
// "Report.PDF"; for a .DOC the same as cutting its last four characters).
QString PdfNameOf(const QString &documentName);

} // namespace qf
