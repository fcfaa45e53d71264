#include "book/DamageWords.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace qf {

QString InUserWords(const std::string &detail)
{
    const QString said = QString::fromStdString(detail);
    const auto has = [&](const char *words) { return said.contains(QLatin1String(words)); };
    // A key said twice is named: the user may find it.
    static const QRegularExpression twice(QStringLiteral("duplicated key (/\\S+)"));
    if (const QRegularExpressionMatch key = twice.match(said); key.hasMatch())
        return QCoreApplication::translate("Book", "a dictionary gives %1 twice")
            .arg(key.captured(1).chopped(key.captured(1).endsWith(QLatin1Char(';')) ? 1 : 0));
    if (has("can't find PDF header") || has("not a PDF file"))
        return QCoreApplication::translate("Book", "it does not begin as a PDF file does");
    if (has("inflate") || has("bad encoded data") || has("error decoding stream data") ||
        has("re-processed without filtering") || has("Decoder") || has("bad hex digit") ||
        has("invalid block type") || has("invalid distance") || has("incorrect header check"))
        return QCoreApplication::translate("Book", "compressed data in it is damaged");
    if (has("xref not found") || has("reconstruct") || has("trailer dictionary") ||
        has("startxref") || has("xref stream") || has("xref table"))
        return QCoreApplication::translate("Book", "its table of contents is damaged");
    if (has("object has offset 0") || has("empty object treated as null"))
        return QCoreApplication::translate("Book", "it lists an object it does not hold");
    if (has("expected endobj") || has("expected endstream") || has("stream length"))
        return QCoreApplication::translate("Book", "an object in it does not end where it says");
    if (has("unable to find") || has("object stream"))
        return QCoreApplication::translate("Book", "objects in it are damaged or missing");
    if (has("attempted on object of type"))
        return QCoreApplication::translate("Book", "an object in it is of the wrong kind");
    if (has("/AcroForm") || has("attempt to set a"))
        return QCoreApplication::translate("Book", "its form's list of fields is wrong");
    return said;
}

} // namespace qf
