#pragma once

#include "core/Status.h"
#include "core/Workspace.h"
#include "window/Controls.h"

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
// On unless the file says 0; only the file turns it off, for readers that want no PDF 1.5.
inline const QString kCompactBookKey = QStringLiteral("CompactBook");

// Start-up: Check1 and Text5 from the settings file; without one, ticked and the default name.
// The book choices too, each off unless the file turns it on. Writes nothing.
void ApplySettingsStep(const Workspace &ws, MainWindow &window);

// Start-up, once both lists are filled: each list ticked except the items its ignore list names.
// A missing ignore list is created empty, unless told to change nothing. Returns what went wrong,
// for the log only.
enum class MissingIgnoreLists { Create, Leave };
Problems ApplyIgnoreListStep(const Workspace &ws, MainWindow &window,
                             MissingIgnoreLists missing = MissingIgnoreLists::Create);

// Both runs, before anything else touches the folder: the settings, then both ignore lists.
Problems StoreSettingsAndIgnoreLists(Workspace &ws, MainWindow &window);

// The Close button: both ignore lists, documents first. Both are tried even if one fails.
Problems SaveIgnoreLists(const Workspace &ws, MainWindow &window);

} // namespace qf
