#include "runs/StartUp.h"

#include "listing/FolderListing.h"
#include "runs/DocumentMarks.h"
#include "runs/FolderLists.h"
#include "runs/FolderState.h"
#include "store/FolderChoices.h"
#include "store/IgnoreList.h"

namespace qf {

void RelistDocuments(const Workspace &ws, MainWindow &window)
{
    RefillList(ws.WorkingFolder, window.DocumentList(), window.DocumentCount(), FileKind::Doc, true,
               window.Choices().documentTypes);
    LoadIgnoreList(ws.DocIgnorePath(), window.DocumentList());
    if (!ws.WorkingFolder.isEmpty())
        MarkOutOfDateDocuments(ws.WorkingFolder, window.DocumentList());
}

Problems StartUp(Workspace &ws, MainWindow &window, const std::function<void()> &show,
                 MissingIgnoreLists missing)
{
    ws.ResetSettingsPath();
    ApplySettingsStep(ws, window);
    show();
    FolderSelection selection;
    const Problems problems =
        LoadFolderLists(ws, window.Choices().documentTypes, missing, selection);
    ShowList(selection.documents, FileKind::Doc, window.DocumentList(), window.DocumentCount());
    ShowList(selection.pdfs, FileKind::Pdf, window.PdfList(), window.PdfCount());
    if (!ws.WorkingFolder.isEmpty())
        MarkOutOfDateDocuments(ws.WorkingFolder, window.DocumentList());
    window.DocumentList().SetCurrent(0);
    window.PdfList().SetCurrent(0);
    return problems;
}

} // namespace qf
