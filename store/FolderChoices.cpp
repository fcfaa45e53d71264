#include "store/FolderChoices.h"

#include "core/DocumentTypes.h"
#include "listing/FolderListing.h"
#include "store/IgnoreList.h"
#include "store/Profile.h"

#include <QCoreApplication>

namespace qf {
namespace {

// Without a folder every path would name a file in the root folder: store nothing there.
Status RequireFolder(const Workspace &ws)
{
    if (ws.WorkingFolder.isEmpty())
        return Status::Failed(QCoreApplication::translate("Files", "(no folder)"),
                              QCoreApplication::translate(
                                  "Files", "Quirefold was started without a folder, so nothing "
                                           "can be stored. Start it as: quirefold FOLDER"));
    return Status::Ok();
}

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

bool ChoiceIsOn(const QString &settings, const QString &key)
{
    return FileExists(settings) &&
           ReadIniString(settings, kSettingsSection, key).trimmed() == QLatin1String("1");
}

// A choice is written once it differs from its default, and kept up to date from then on, so an
// untouched folder's file stays as it was. (A value read is trimmed, so none starts with a line
// break: that default says the key is missing.)
Status StoreChoice(const QString &settings, const QString &key, const QString &value,
                   bool isDefault)
{
    const bool written = !ReadIniString(settings, kSettingsSection, key, QStringLiteral("\n"))
                              .startsWith(QLatin1Char('\n'));
    if (isDefault && !written)
        return Status::Ok();
    return WriteIniString(settings, kSettingsSection, key, value);
}

Status StoreChoice(const QString &settings, const QString &key, bool on)
{
    return StoreChoice(settings, key, on ? QStringLiteral("1") : QStringLiteral("0"), !on);
}

Status StoreTypes(const QString &settings, const QStringList &types)
{
    const QStringList parsed = ParseDocumentTypes(types.join(QLatin1Char(' ')));
    return StoreChoice(settings, kDocumentTypesKey, parsed.join(QLatin1Char(' ')),
                       parsed == QStringList{QStringLiteral("DOC")});
}

} // namespace

void ApplySettingsStep(const Workspace &ws, MainWindow &window)
{
    int slipSheet = 0;
    QString outputName;
    if (FileExists(ws.SettingsPath)) {
        bool isNumber = false;
        const int value = ReadIniString(ws.SettingsPath, kSettingsSection, kSlipSheetKey)
                              .trimmed()
                              .toInt(&isNumber);
        if (isNumber)
            slipSheet = value;
        outputName = ReadIniString(ws.SettingsPath, kSettingsSection, kOutputNameKey);
    } else {
        slipSheet = 1;
        outputName = kDefaultOutputName;
    }
    window.BlankSheetOption().SetValue(slipSheet); // a value the box cannot take leaves it clear
    window.BookName().SetText(outputName);
    window.Choices() = BookChoices();
    window.Choices().fitBlankSheets = ChoiceIsOn(ws.SettingsPath, kFitBlankSheetKey);
    window.Choices().keepBookmarks = ChoiceIsOn(ws.SettingsPath, kKeepBookmarksKey);
    window.Choices().linearized = ChoiceIsOn(ws.SettingsPath, kLinearizeKey);
    window.Choices().indexPage = ChoiceIsOn(ws.SettingsPath, kIndexPageKey);
    if (FileExists(ws.SettingsPath)) {
        window.Choices().pageNumbers =
            ReadIniString(ws.SettingsPath, kSettingsSection, kPageNumbersKey).trimmed();
        const QString titles =
            ReadIniString(ws.SettingsPath, kSettingsSection, kBookmarkTitlesKey).trimmed();
        if (titles == kBookmarkTitlesFileName || titles == kBookmarkTitlesOwnTitle)
            window.Choices().bookmarkTitles = titles;
    }
    window.Choices().compactBook =
        !FileExists(ws.SettingsPath) ||
        ReadIniString(ws.SettingsPath, kSettingsSection, kCompactBookKey).trimmed() !=
            QLatin1String("0");
    if (FileExists(ws.SettingsPath))
        window.Choices().documentTypes =
            ParseDocumentTypes(ReadIniString(ws.SettingsPath, kSettingsSection, kDocumentTypesKey));
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
    const Status folder = RequireFolder(ws);
    if (!folder) {
        problems.add(folder);
        return problems;
    }
    ws.ResetSettingsPath();
    const Status slipSheet = WriteIniString(ws.SettingsPath, kSettingsSection, kSlipSheetKey,
                                            QString::number(window.BlankSheetOption().Value()));
    const Status outputName =
        WriteIniString(ws.SettingsPath, kSettingsSection, kOutputNameKey, window.BookName().Text());
    const Status keep =
        StoreChoice(ws.SettingsPath, kKeepBookmarksKey, window.Choices().keepBookmarks);
    const Status fit =
        StoreChoice(ws.SettingsPath, kFitBlankSheetKey, window.Choices().fitBlankSheets);
    const Status types = StoreTypes(ws.SettingsPath, window.Choices().documentTypes);
    const Status linearize =
        StoreChoice(ws.SettingsPath, kLinearizeKey, window.Choices().linearized);
    const Status index = StoreChoice(ws.SettingsPath, kIndexPageKey, window.Choices().indexPage);
    const Status numbers =
        StoreChoice(ws.SettingsPath, kPageNumbersKey, window.Choices().pageNumbers,
                    window.Choices().pageNumbers.isEmpty());
    const Status titles =
        StoreChoice(ws.SettingsPath, kBookmarkTitlesKey, window.Choices().bookmarkTitles,
                    window.Choices().bookmarkTitles.isEmpty());
    const bool compact = window.Choices().compactBook;
    const Status compactBook =
        StoreChoice(ws.SettingsPath, kCompactBookKey,
                    compact ? QStringLiteral("1") : QStringLiteral("0"), compact);
    // One failure of the file is enough to say.
    for (const Status &written :
         {slipSheet, outputName, keep, fit, types, linearize, index, numbers, titles, compactBook})
        if (!written) {
            problems.add(written);
            break;
        }
    problems.merge(SaveIgnoreLists(ws, window));
    return problems;
}

Problems SaveIgnoreLists(const Workspace &ws, MainWindow &window)
{
    Problems problems;
    const Status folder = RequireFolder(ws);
    if (!folder) {
        problems.add(folder);
        return problems;
    }
    problems.merge(SaveIgnoreList(ws.DocIgnorePath(), window.DocumentList()));
    problems.merge(SaveIgnoreList(ws.PdfIgnorePath(), window.PdfList()));
    return problems;
}

} // namespace qf
