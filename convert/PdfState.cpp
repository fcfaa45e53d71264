#include "convert/PdfState.h"

#include "core/DocumentTypes.h"
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace qf {

QList<PdfState> PdfStatesOf(const QString &folder, const QStringList &documents)
{
    QHash<QString, QFileInfo> files; // by name, case folded
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries)
        files.insert(entry.fileName().toCaseFolded(), entry);
    QList<PdfState> states;
    states.reserve(documents.size());
    for (const QString &document : documents) {
        // A name of the PDF's exact letter case wins, as the conversion's does.
        const QString pdfName = PdfNameOf(document);
        const QFileInfo exact(QDir(folder).filePath(pdfName));
        const QFileInfo pdf = exact.isFile() ? exact : files.value(pdfName.toCaseFolded());
        const QFileInfo doc =
            files.value(document.toCaseFolded(), QFileInfo(QDir(folder).filePath(document)));
        if (!pdf.isFile())
            states.append(PdfState::Missing);
        else if (pdf.lastModified() < doc.lastModified())
            states.append(PdfState::Older);
        else
            states.append(PdfState::UpToDate);
    }
    return states;
}

QString PdfStateMark(PdfState state)
{
    switch (state) {
    case PdfState::Missing:
        return QStringLiteral("No PDF yet");
    case PdfState::Older:
        return QStringLiteral("The PDF is older than the document");
    case PdfState::UpToDate:
        break;
    }
    return QString();
}

} // namespace qf
