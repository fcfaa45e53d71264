#include "runs/Requests.h"

#include "convert/PdfState.h"

#include <QCoreApplication>

namespace qf {

CompileRequest CompileRequestFor(const Workspace &ws, MainWindow &window,
                                 const QString &programFolder)
{
    CompileRequest request;
    request.workingFolder = ws.WorkingFolder;
    request.bookName = window.BookName().Text();
    request.blankSheets = window.BlankSheetOption().Value() == 1;
    request.programFolder = programFolder;
    TakeBookChoices(request, window.Choices());
    TickList &pdfs = window.PdfList();
    for (int i = 0; i < pdfs.ListCount(); ++i)
        if (pdfs.Selected(i))
            request.names.append(pdfs.ItemText(i));
    return request;
}

ConversionRequest ConversionRequestFor(const Workspace &ws, MainWindow &window)
{
    ConversionRequest request{ws.WorkingFolder, {}, ws.OutputFileName, 0};
    TickList &documents = window.DocumentList();
    for (int i = 0; i < documents.ListCount(); ++i)
        request.entries.append({documents.ItemText(i), documents.Selected(i)});
    return request;
}

QList<StalePdf> StalePdfs(const Workspace &ws, MainWindow &window)
{
    TickList &documents = window.DocumentList();
    QStringList ticked;
    for (int i = 0; i < documents.ListCount(); ++i)
        if (documents.Selected(i))
            ticked.append(documents.ItemText(i));
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
