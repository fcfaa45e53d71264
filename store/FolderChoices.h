#pragma once

#include "core/BookChoices.h"
#include "core/Status.h"
#include "core/Workspace.h"

namespace qf {

// The folder's choices as start-up, the runs and the Close button keep them.

inline const QString kSettingsSection = QStringLiteral("Settings");
inline const QString kSlipSheetKey = QStringLiteral("SlipSheet");
inline const QString kOutputNameKey = QStringLiteral("OutputName");
inline const QString kDefaultOutputName = QStringLiteral("CompiledPDFDocument.pdf");
// Written only once it differs from its default, so an untouched folder's file stays as it was.
inline const QString kFitBlankSheetKey = QStringLiteral("FitBlankSheet");
inline const QString kKeepBookmarksKey = QStringLiteral("KeepBookmarks");
inline const QString kDocumentTypesKey = QStringLiteral("DocumentTypes");
inline const QString kLinearizeKey = QStringLiteral("Linearize");
inline const QString kIndexPageKey = QStringLiteral("IndexPage");
inline const QString kPageNumbersKey = QStringLiteral("PageNumbers");
inline const QString kBookmarkTitlesKey = QStringLiteral("BookmarkTitles");
inline const QString kBookTitleKey = QStringLiteral("BookTitle");
inline const QString kListOrderKey = QStringLiteral("ListOrder");
inline const QString kNaturalOrder = QStringLiteral("natural");
// On unless the file says 0; only the file turns it off, for readers that want no PDF 1.5.
inline const QString kCompactBookKey = QStringLiteral("CompactBook");
inline const QString kTaggedPdfKey = QStringLiteral("TaggedPdf");
inline const QString kOcrKey = QStringLiteral("Ocr");
inline const QString kVolumeLimitKey = QStringLiteral("VolumeLimit");
inline const QString kPageSizeKey = QStringLiteral("PageSize");
inline const QString kForFilingKey = QStringLiteral("ForFiling");
inline const QString kPageNumberRoomKey = QStringLiteral("PageNumberRoom");
// Only read: set by hand for folders whose scans are in other languages.
inline const QString kOcrLanguagesKey = QStringLiteral("OcrLanguages");

// SlipSheet as the blank-sheet box shows it: 1 ticked, 2 grayed, anything else clear; and back.
Qt::CheckState BlankSheetState(int slipSheet);
int SlipSheetValue(Qt::CheckState state);

// What the settings file holds for the window's controls and the book.
struct FolderSettings {
    int blankSheets = 1; // SlipSheet: 1 ticks the box; a value the box cannot take leaves it clear
    QString bookName = kDefaultOutputName; // OutputName
    BookChoices choices;
};

// The folder's settings as start-up takes them: without a settings file, blank sheets on and the
// default name; the book's choices each as by default unless the file says otherwise. Writes
// nothing.
FolderSettings ReadFolderSettings(const QString &settingsPath);

// Writes SlipSheet and OutputName, and each book choice once it differs from its default, keeping
// every other line of the file. The first failure, if any.
Status WriteFolderSettings(const QString &settingsPath, const FolderSettings &settings);

// Without a folder every path would name a file in the root folder: nothing is stored there.
Status RequireFolder(const Workspace &ws);

} // namespace qf
