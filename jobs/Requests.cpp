#include "jobs/Requests.h"

#include "convert/PdfState.h"
#include "core/DocumentTypes.h"
#include "listing/ListOrder.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace qf {

CompileRequest CompileRequestFor(const Workspace &ws, const FolderSelection &selection,
                                 const QString &programFolder)
{
    CompileRequest request;
    request.workingFolder = ws.WorkingFolder;
    request.bookName = selection.settings.bookName;
    request.blankSheets = selection.settings.blankSheets == 1;
    request.programFolder = programFolder;
    TakeBookChoices(request, selection.settings.choices);
    request.names = selection.pdfs.Ticked();
    return request;
}

void GivePasswords(CompileRequest &request, const std::map<QString, QString> &byName)
{
    for (const QString &name : request.names)
        if (const auto given = byName.find(name); given != byName.end() && !given->second.isEmpty())
            request.passwords[JoinPath(request.workingFolder, name)] = given->second;
}

QStringList NeedingPassword(const CompileRequest &request)
{
    QStringList needing;
    for (const QString &name : request.names)
        if (NeedsPassword(JoinPath(request.workingFolder, name)))
            needing.append(name);
    return needing;
}

ConversionRequest ConversionRequestFor(const Workspace &ws, const FolderSelection &selection)
{
    ConversionRequest request{ws.WorkingFolder, {}, ws.OutputFileName, 0, {}};
    request.how.tagged = selection.settings.choices.taggedPdf;
    const TickedNames &documents = selection.documents;
    for (qsizetype i = 0; i < documents.names.size(); ++i)
        request.entries.append({documents.names.at(i), documents.ticked.value(i)});
    return request;
}

QList<StalePdf> StalePdfs(const Workspace &ws, const FolderSelection &selection)
{
    const QStringList ticked = selection.documents.Ticked();
    const QList<PdfState> states = PdfStatesOf(ws.WorkingFolder, ticked);
    QList<StalePdf> stale;
    for (qsizetype i = 0; i < ticked.size(); ++i) {
        if (states.at(i) == PdfState::UpToDate)
            continue;
        stale.append(
            {ws.PathOf(ticked.at(i)),
             (states.at(i) == PdfState::Missing
                  ? QCoreApplication::translate("Runs", "%1 has no PDF yet; print it to PDF first")
                  : QCoreApplication::translate("Runs",
                                                "%1 is newer than its PDF; print it to PDF again"))
                 .arg(ticked.at(i))});
    }
    return stale;
}

QString StoppedCompileSaid()
{
    return QCoreApplication::translate(
        "Jobs", "The run was stopped, so no book was written; a book made before is as it was.");
}

QString StoppedConversionSaid(int converted)
{
    return QCoreApplication::translate("Jobs",
                                       "The run was stopped: %n of the ticked documents were "
                                       "converted; the others were left as they were.",
                                       nullptr, converted);
}

QList<DefaultsHint> DefaultsThatMatter(const Workspace &ws, const FolderSelection &selection,
                                       bool compile)
{
    QList<DefaultsHint> hints;
    const BookChoices &choices = selection.settings.choices;
    const QStringList &pdfs = selection.pdfs.names;
    // The first neighbours in the list that their numbers' values put the other way round: a
    // list out of the natural order has such neighbours.
    if (!choices.naturalOrder && selection.ownPdfOrder.isEmpty())
        for (qsizetype i = 0; i + 1 < pdfs.size(); ++i)
            if (NumbersPutFirst(pdfs.at(i + 1), pdfs.at(i))) {
                hints.append(
                    {DefaultsHint::About::NumberOrder, {}, pdfs.at(i), pdfs.at(i + 1), {}, 0});
                break;
            }
    // Documents of the kinds not listed, by kind.
    if (!ws.WorkingFolder.isEmpty()) {
        const QStringList files = QDir(ws.WorkingFolder).entryList(QDir::Files);
        for (const QString &type : kKnownDocumentTypes) {
            if (choices.documentTypes.contains(type))
                continue;
            const qsizetype count =
                std::count_if(files.begin(), files.end(),
                              [&](const QString &name) { return IsDocumentOfTypes(name, {type}); });
            if (count > 0)
                hints.append(
                    {DefaultsHint::About::UnlistedDocuments, {}, {}, {}, type, int(count)});
        }
    }
    // A title cut at a dot inside the name: "Kap. 3 Übersicht.pdf" would be "Kap".
    if (compile && choices.bookmarkTitles.isEmpty())
        for (const QString &name : selection.pdfs.Ticked()) {
            const QString whole = BookTitle(name);
            if (BookmarkTitle(name) == whole)
                continue;
            hints.append({DefaultsHint::About::CutBookmarkTitle,
                          ws.PathOf(name),
                          name,
                          BookmarkTitle(name),
                          {},
                          0});
        }
    return hints;
}

} // namespace qf
