#include "remove/RemoveConverted.h"

#include "core/Workspace.h"
#include "listing/FolderListing.h"

#include <QFile>

#include <algorithm>

namespace qf {

RemovalResult RemoveConvertedPdfs(const QString &workingFolder, const QStringList &pdfNames,
                                  const QStringList &documentTypes)
{
    RemovalResult result;
    const QStringList types =
        documentTypes.isEmpty() ? QStringList{QStringLiteral("DOC")} : documentTypes;
    const FolderIndex files = FolderIndex::Read(workingFolder); // one read for every PDF
    for (const QString &name : pdfNames) {
        const QString base = name.left(name.size() - 4);
        if (std::none_of(types.begin(), types.end(), [&](const QString &type) {
                return files.Contains(base + QLatin1Char('.') + type);
            }))
            continue;
        QFile pdf(JoinPath(workingFolder, name));
        if (pdf.remove())
            result.deleted.append(pdf.fileName());
        else
            result.problems.add(
                Status::Failed(pdf.fileName(),
                               QStringLiteral("could not be deleted (%1)").arg(pdf.errorString())));
    }
    return result;
}

} // namespace qf
