#include "store/FolderChoices.h"

#include "core/DocumentTypes.h"
#include "listing/FolderListing.h"
#include "store/Profile.h"

#include <QCoreApplication>

namespace qf {
namespace {

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

Status RequireFolder(const Workspace &ws)
{
    if (ws.WorkingFolder.isEmpty())
        return Status::Failed(QCoreApplication::translate("Files", "(no folder)"),
                              QCoreApplication::translate(
                                  "Files", "Quirefold was started without a folder, so nothing "
                                           "can be stored. Start it as: quirefold FOLDER"));
    return Status::Ok();
}

Qt::CheckState BlankSheetState(int slipSheet)
{
    return slipSheet == 1 ? Qt::Checked : slipSheet == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

int SlipSheetValue(Qt::CheckState state)
{
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

FolderSettings ReadFolderSettings(const QString &settings)
{
    FolderSettings read;
    const bool exists = FileExists(settings);
    if (exists) {
        bool isNumber = false;
        const int value =
            ReadIniString(settings, kSettingsSection, kSlipSheetKey).trimmed().toInt(&isNumber);
        read.blankSheets = isNumber ? value : 0;
        read.bookName = ReadIniString(settings, kSettingsSection, kOutputNameKey);
    }
    BookChoices &choices = read.choices;
    choices.fitBlankSheets = ChoiceIsOn(settings, kFitBlankSheetKey);
    choices.keepBookmarks = ChoiceIsOn(settings, kKeepBookmarksKey);
    choices.linearized = ChoiceIsOn(settings, kLinearizeKey);
    choices.indexPage = ChoiceIsOn(settings, kIndexPageKey);
    choices.ocr = ChoiceIsOn(settings, kOcrKey);
    choices.forFiling = ChoiceIsOn(settings, kForFilingKey);
    if (!exists)
        return read;
    choices.pageNumbers = ReadIniString(settings, kSettingsSection, kPageNumbersKey).trimmed();
    choices.bookTitle = ReadIniString(settings, kSettingsSection, kBookTitleKey).trimmed();
    choices.naturalOrder = ReadIniString(settings, kSettingsSection, kListOrderKey)
                               .trimmed()
                               .compare(kNaturalOrder, Qt::CaseInsensitive) == 0;
    const QString titles = ReadIniString(settings, kSettingsSection, kBookmarkTitlesKey).trimmed();
    if (titles == kBookmarkTitlesFileName || titles == kBookmarkTitlesOwnTitle)
        choices.bookmarkTitles = titles;
    choices.compactBook =
        ReadIniString(settings, kSettingsSection, kCompactBookKey).trimmed() != QLatin1String("0");
    choices.taggedPdf =
        ReadIniString(settings, kSettingsSection, kTaggedPdfKey).trimmed() != QLatin1String("0");
    choices.volumeLimit = ReadIniString(settings, kSettingsSection, kVolumeLimitKey).trimmed();
    const QString size = ReadIniString(settings, kSettingsSection, kPageSizeKey).trimmed();
    for (const QString &known : {kPageSizeA4, kPageSizeLetter})
        if (size.compare(known, Qt::CaseInsensitive) == 0)
            choices.pageSize = known;
    choices.ocrLanguages = ReadIniString(settings, kSettingsSection, kOcrLanguagesKey).trimmed();
    const QString room = ReadIniString(settings, kSettingsSection, kPageNumberRoomKey).trimmed();
    for (const QString &known : {kRoomAlways, kRoomNone})
        if (room.compare(known, Qt::CaseInsensitive) == 0)
            choices.numberRoom = known;
    choices.documentTypes =
        ParseDocumentTypes(ReadIniString(settings, kSettingsSection, kDocumentTypesKey));
    return read;
}

Status WriteFolderSettings(const QString &settings, const FolderSettings &folder)
{
    const BookChoices &choices = folder.choices;
    const Status slipSheet = WriteIniString(settings, kSettingsSection, kSlipSheetKey,
                                            QString::number(folder.blankSheets));
    const Status outputName =
        WriteIniString(settings, kSettingsSection, kOutputNameKey, folder.bookName);
    const Status keep = StoreChoice(settings, kKeepBookmarksKey, choices.keepBookmarks);
    const Status fit = StoreChoice(settings, kFitBlankSheetKey, choices.fitBlankSheets);
    const Status types = StoreTypes(settings, choices.documentTypes);
    const Status linearize = StoreChoice(settings, kLinearizeKey, choices.linearized);
    const Status index = StoreChoice(settings, kIndexPageKey, choices.indexPage);
    const Status ocr = StoreChoice(settings, kOcrKey, choices.ocr);
    const Status filing = StoreChoice(settings, kForFilingKey, choices.forFiling);
    const Status volumes =
        StoreChoice(settings, kVolumeLimitKey, choices.volumeLimit, choices.volumeLimit.isEmpty());
    const Status size =
        StoreChoice(settings, kPageSizeKey, choices.pageSize, choices.pageSize.isEmpty());
    const Status numbers =
        StoreChoice(settings, kPageNumbersKey, choices.pageNumbers, choices.pageNumbers.isEmpty());
    const Status titles = StoreChoice(settings, kBookmarkTitlesKey, choices.bookmarkTitles,
                                      choices.bookmarkTitles.isEmpty());
    const Status title =
        StoreChoice(settings, kBookTitleKey, choices.bookTitle, choices.bookTitle.isEmpty());
    const Status order =
        StoreChoice(settings, kListOrderKey,
                    choices.naturalOrder ? kNaturalOrder : QStringLiteral("alphabetical"),
                    !choices.naturalOrder);
    const bool compact = choices.compactBook;
    const Status compactBook = StoreChoice(
        settings, kCompactBookKey, compact ? QStringLiteral("1") : QStringLiteral("0"), compact);
    const bool tagged = choices.taggedPdf;
    const Status taggedPdf = StoreChoice(
        settings, kTaggedPdfKey, tagged ? QStringLiteral("1") : QStringLiteral("0"), tagged);
    // One failure of the file is enough to say.
    for (const Status &written :
         {slipSheet, outputName, keep, fit, types, linearize, index, numbers, titles, title, order,
          compactBook, taggedPdf, ocr, volumes, size, filing})
        if (!written)
            return written;
    return Status::Ok();
}

} // namespace qf
