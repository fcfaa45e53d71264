#include "core/DocumentTypes.h"

#include <QRegularExpression>

namespace qf {

QStringList ParseDocumentTypes(const QString &text, QStringList *unknown)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    QStringList named;
    for (const QString &part : text.split(separators, Qt::SkipEmptyParts)) {
        if (kKnownDocumentTypes.contains(part.toUpper()))
            named.append(part.toUpper());
        else if (unknown)
            unknown->append(part);
    }
    QStringList types;
    for (const QString &type : kKnownDocumentTypes)
        if (named.contains(type))
            types.append(type);
    return types.isEmpty() ? QStringList{QStringLiteral("DOC")} : types;
}

bool IsDocumentOfTypes(const QString &name, const QStringList &types)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && types.contains(name.mid(dot + 1).toUpper());
}

QString PdfNameOf(const QString &documentName)
{
    const qsizetype dot = documentName.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? documentName : documentName.left(dot)) + QStringLiteral(".PDF");
}

} // namespace qf
