#include "runs/Requests.h"

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

} // namespace qf
