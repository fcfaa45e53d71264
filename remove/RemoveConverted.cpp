#include "remove/RemoveConverted.h"

#include "core/Workspace.h"
#include "listing/FolderListing.h"
#include "remove/Trash.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <sys/stat.h>

namespace qf {

RemovalResult RemoveConvertedPdfs(const QString &workingFolder, const QStringList &pdfNames,
                                  const QStringList &documentTypes, Removal how)
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
        // The trash would take a folder that took a PDF's name since it was listed, whole.
        struct stat st;
        if (::lstat(QFile::encodeName(pdf.fileName()).constData(), &st) == 0 &&
            S_ISDIR(st.st_mode)) {
            result.problems.add(Status::Failed(
                pdf.fileName(), QCoreApplication::translate(
                                    "Files", "was left alone: it is a folder, not a PDF file")));
            continue;
        }
        if (how == Removal::Trash) {
            const TrashOutcome trashed = MoveToTrash(pdf.fileName());
            if (trashed.kind == TrashOutcome::Kind::Trashed) {
                result.trashed.append(pdf.fileName());
                continue;
            }
            if (trashed.kind == TrashOutcome::Kind::Failed) {
                result.problems.add(Status::Failed(pdf.fileName(), trashed.reason));
                continue;
            }
            result.noTrash = true;
        }
        if (pdf.remove())
            result.deleted.append(pdf.fileName());
        else
            result.problems.add(Status::Failed(
                pdf.fileName(), QCoreApplication::translate("Files", "could not be deleted (%1)")
                                    .arg(pdf.errorString())));
    }
    return result;
}

QString RemovalSummary(const RemovalResult &result)
{
    // Whole sentences in each language's plural forms.
    QStringList parts;
    if (!result.trashed.isEmpty() || result.deleted.isEmpty())
        parts << QCoreApplication::translate("Files", "%n PDF file(s) were moved to the trash.",
                                             nullptr, int(result.trashed.size()));
    if (!result.deleted.isEmpty())
        parts << (result.noTrash
                      ? QCoreApplication::translate(
                            "Files", "%n PDF file(s) were deleted, as no trash could be had.",
                            nullptr, int(result.deleted.size()))
                      : QCoreApplication::translate("Files", "%n PDF file(s) were deleted.",
                                                    nullptr, int(result.deleted.size())));
    return parts.join(QLatin1Char(' '));
}

} // namespace qf
