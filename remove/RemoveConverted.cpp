#include "remove/RemoveConverted.h"

#include "core/Workspace.h"
#include "listing/FolderListing.h"

#include <QFile>

namespace qf {

RemovalResult RemoveConvertedPdfs(const QString &workingFolder, const QStringList &pdfNames)
{
    RemovalResult result;
    const FolderIndex files = FolderIndex::Read(workingFolder); // one read for every PDF
    for (const QString &name : pdfNames) {
        if (!files.Contains(name.left(name.size() - 4) + QStringLiteral(".DOC")))
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
