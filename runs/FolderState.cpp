#include "runs/FolderState.h"

#include "listing/FolderListing.h"
#include "store/FolderChoices.h"
#include "store/IgnoreList.h"

namespace qf {
namespace {

// The store's ticks for the list's items, put into the list.
Status ApplyOneIgnoreList(const Workspace &ws, const QString &path, TickList &list,
                          MissingIgnoreLists missing)
{
    TickedNames names;
    for (int i = 0; i < list.Count(); ++i)
        names.names.append(list.Name(i));
    const Status status = ApplyIgnoreList(ws, path, missing, names);
    for (int i = 0; i < list.Count(); ++i)
        list.SetTicked(i, names.ticked.value(i));
    return status;
}

} // namespace

Problems SaveIgnoreList(const QString &path, const TickList &list)
{
    QStringList unticked;
    for (int i = 0; i < list.Count(); ++i)
        if (!list.Ticked(i))
            unticked.append(list.Name(i));
    return WriteIgnoreList(path, unticked);
}

Status LoadIgnoreList(const QString &path, TickList &list)
{
    QSet<QString> ignored;
    const Status read = ReadIgnoreList(path, ignored);
    for (int i = 0; i < list.Count(); ++i)
        list.SetTicked(i, !ignored.contains(list.Name(i)));
    return read;
}

void ApplySettingsStep(const Workspace &ws, MainWindow &window)
{
    const FolderSettings settings = ReadFolderSettings(ws.SettingsPath);
    window.BlankSheetOption().SetState(BlankSheetState(settings.blankSheets));
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
    return StoreFolderSelection(ws, SelectionOf(window));
}

Problems SaveIgnoreLists(const Workspace &ws, MainWindow &window)
{
    return StoreIgnoreLists(ws, SelectionOf(window));
}

FolderSelection SelectionOf(MainWindow &window)
{
    FolderSelection selection;
    selection.settings = {SlipSheetValue(window.BlankSheetOption().State()),
                          window.BookName().Text(), window.Choices()};
    const auto take = [](TickList &list, TickedNames &names) {
        for (int i = 0; i < list.Count(); ++i) {
            names.names.append(list.Name(i));
            names.ticked.append(list.Ticked(i));
        }
    };
    take(window.DocumentList(), selection.documents);
    take(window.PdfList(), selection.pdfs);
    selection.ownPdfOrder = window.PdfList().Order().own();
    selection.ownPdfOrderMoved = window.PdfOrderMoved();
    return selection;
}

void ShowList(const TickedNames &names, FileKind kind, TickList &list, TextBox &countLine)
{
    list.Clear();
    for (qsizetype i = 0; i < names.names.size(); ++i) {
        list.AddItem(names.names.at(i));
        list.SetTicked(int(i), names.ticked.value(i));
    }
    countLine.SetText(CountLine(kind, list.Count()));
}

} // namespace qf
