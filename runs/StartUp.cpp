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
    Problems problems;
    ws.ResetSettingsPath();
    ApplySettingsStep(ws, window);
    show();
    problems.add(RefillList(ws.WorkingFolder, window.DocumentList(), window.DocumentCount(),
                            FileKind::Doc,
                            /*clearFirst=*/false, window.Choices().documentTypes));
    // The PDF listing would fail for the same reason: say it once.
    const Status pdfs =
        RefillList(ws.WorkingFolder, window.PdfList(), window.PdfCount(), FileKind::Pdf);
    if (problems.empty())
        problems.add(pdfs);
    problems.merge(ApplyIgnoreListStep(ws, window, missing));
    if (!ws.WorkingFolder.isEmpty())
        MarkOutOfDateDocuments(ws.WorkingFolder, window.DocumentList());
    window.DocumentList().SetListIndex(0);
    window.PdfList().SetListIndex(0);
    return problems;
}

} // namespace qf
