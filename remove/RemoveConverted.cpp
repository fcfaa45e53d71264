#include "remove/RemoveConverted.h"

#include "core/Workspace.h"
#include "listing/FolderListing.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <sys/stat.h>

namespace qf {
namespace {

// Whether the home trash could take the folder's files: it does when both are on one file
// system. A file elsewhere goes to a trash at the top of its own file system, if the desktop keeps
// one there; when the move fails there, no trash can be had.
bool HomeTrashTakes(const QString &folder)
{
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    struct stat data, here;
    return !home.isEmpty() && ::stat(QFile::encodeName(home).constData(), &data) == 0 &&
           ::stat(QFile::encodeName(folder).constData(), &here) == 0 && data.st_dev == here.st_dev;
}

} // namespace

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
                pdf.fileName(), QStringLiteral("was left alone: it is a folder, not a PDF file")));
            continue;
        }
        if (how == Removal::Trash) {
            if (pdf.moveToTrash()) {
                result.trashed.append(JoinPath(workingFolder, name));
                continue;
            }
            if (HomeTrashTakes(workingFolder) || !pdf.exists()) {
                result.problems.add(Status::Failed(
                    pdf.fileName(),
                    QStringLiteral("could not be moved to the trash (%1)").arg(pdf.errorString())));
                continue;
            }
            result.noTrash = true;
        }
        if (pdf.remove())
            result.deleted.append(pdf.fileName());
        else
            result.problems.add(
                Status::Failed(pdf.fileName(),
                               QStringLiteral("could not be deleted (%1)").arg(pdf.errorString())));
    }
    return result;
}

QString RemovalSummary(const RemovalResult &result)
{
    const auto files = [](qsizetype n) {
        return n == 1 ? QStringLiteral("1 PDF file was")
                      : QStringLiteral("%1 PDF files were").arg(n);
    };
    QStringList parts;
    if (!result.trashed.isEmpty() || result.deleted.isEmpty())
        parts << files(result.trashed.size()) + QStringLiteral(" moved to the trash.");
    if (!result.deleted.isEmpty())
        parts << files(result.deleted.size()) +
                     (result.noTrash ? QStringLiteral(" deleted, as no trash could be had.")
                                     : QStringLiteral(" deleted."));
    return parts.join(QLatin1Char(' '));
}

} // namespace qf
