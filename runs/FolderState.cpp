#include "runs/FolderState.h"

#include "listing/FolderListing.h"
#include "store/FolderChoices.h"
#include "store/IgnoreList.h"

namespace qf {
namespace {

Status ApplyOneIgnoreList(const Workspace &ws, const QString &path, TickList &list,
                          MissingIgnoreLists missing)
{
    if (!FileExists(path)) {
        if (ws.WorkingFolder.isEmpty() || missing == MissingIgnoreLists::Leave) {
            LoadIgnoreList(path, list); // no list: every item ticked
            return Status::Ok();
        }
        const Status created = CreateEmptyFile(path);
        if (!created) {
            LoadIgnoreList(path, list); // still ticks every item
            return created;
        }
    }
    return LoadIgnoreList(path, list);
}

} // namespace

Problems SaveIgnoreList(const QString &path, const TickList &list)
{
    QStringList unticked;
    for (int i = 0; i < list.ListCount(); ++i)
        if (!list.Selected(i))
            unticked.append(list.ItemText(i));
    return WriteIgnoreList(path, unticked);
}

Status LoadIgnoreList(const QString &path, TickList &list)
{
    QSet<QString> ignored;
    const Status read = ReadIgnoreList(path, ignored);
    for (int i = 0; i < list.ListCount(); ++i)
        list.SetSelected(i, !ignored.contains(list.ItemText(i)));
    return read;
}

void ApplySettingsStep(const Workspace &ws, MainWindow &window)
{
    const FolderSettings settings = ReadFolderSettings(ws.SettingsPath);
    window.BlankSheetOption().SetValue(settings.blankSheets);
    window.BookName().SetText(settings.bookName);
    window.Choices() = settings.choices;
}

Problems ApplyIgnoreListStep(const Workspace &ws, MainWindow &window, MissingIgnoreLists missing)
{
    Problems problems;
    problems.add(ApplyOneIgnoreList(ws, ws.DocIgnorePath(), window.DocumentList(), missing));
    problems.add(ApplyOneIgnoreList(ws, ws.PdfIgnorePath(), window.PdfList(), missing));
    return problems;
}

Problems StoreSettingsAndIgnoreLists(Workspace &ws, MainWindow &window)
{
    Problems problems;
    if (const Status folder = RequireFolder(ws); !folder) {
        problems.add(folder);
        return problems;
    }
    ws.ResetSettingsPath();
    problems.add(
        WriteFolderSettings(ws.SettingsPath, {window.BlankSheetOption().Value(),
                                              window.BookName().Text(), window.Choices()}));
    problems.merge(SaveIgnoreLists(ws, window));
    return problems;
}

Problems SaveIgnoreLists(const Workspace &ws, MainWindow &window)
{
    Problems problems;
    if (const Status folder = RequireFolder(ws); !folder) {
        problems.add(folder);
        return problems;
    }
    problems.merge(SaveIgnoreList(ws.DocIgnorePath(), window.DocumentList()));
    problems.merge(SaveIgnoreList(ws.PdfIgnorePath(), window.PdfList()));
    return problems;
}

} // namespace qf
