#include "jobs/Requests.h"

#include "convert/PdfState.h"

#include <QCoreApplication>

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

} // namespace qf
