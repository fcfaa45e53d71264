#include "runs/StartUp.h"

#include "jobs/Requests.h"
#include "listing/FolderListing.h"
#include "runs/DocumentMarks.h"
#include "runs/FolderLists.h"
#include "runs/FolderState.h"
#include "store/FolderChoices.h"
#include "store/IgnoreList.h"

#include <QCoreApplication>

namespace qf {

void RelistDocuments(const Workspace &ws, MainWindow &window)
{
    RefillList(ws.WorkingFolder, window.DocumentList(), window.DocumentCount(), FileKind::Doc, true,
               window.Choices().documentTypes);
    LoadIgnoreList(ws.DocIgnorePath(), window.DocumentList());
    if (!ws.WorkingFolder.isEmpty())
        MarkOutOfDateDocuments(ws.WorkingFolder, window.DocumentList());
}

QString FolderChoicesLine(const BookChoices &choices)
{
    const BookChoices defaults;
    QStringList named;
    const auto name = [&](bool differs, const QString &text) {
        if (differs)
            named.append(text);
    };
    name(!choices.bookTitle.isEmpty(),
         QCoreApplication::translate("Runs", "titled '%1'").arg(choices.bookTitle));
    name(choices.indexPage, QCoreApplication::translate("Runs", "index in front"));
    name(choices.naturalOrder, QCoreApplication::translate("Runs", "in natural order"));
    name(!choices.pageNumbers.isEmpty(),
         QCoreApplication::translate("Runs", "pages numbered '%1'").arg(choices.pageNumbers));
    name(choices.keepBookmarks, QCoreApplication::translate("Runs", "each PDF's own bookmarks"));
    name(choices.bookmarkTitles == kBookmarkTitlesFileName,
         QCoreApplication::translate("Runs", "bookmarks titled by file name"));
    name(choices.bookmarkTitles == kBookmarkTitlesOwnTitle,
         QCoreApplication::translate("Runs", "bookmarks titled by the PDFs' own titles"));
    name(choices.fitBlankSheets,
         QCoreApplication::translate("Runs", "blank sheets the size of the page before"));
    name(choices.linearized, QCoreApplication::translate("Runs", "for fast web view"));
    name(choices.forFiling, QCoreApplication::translate("Runs", "for filing"));
    name(!choices.pageSize.isEmpty(),
         QCoreApplication::translate("Runs", "every page %1").arg(choices.pageSize));
    name(choices.ocr, QCoreApplication::translate("Runs", "scanned pages made searchable"));
    name(!choices.volumeLimit.isEmpty(),
         QCoreApplication::translate("Runs", "in volumes of at most %1")
             .arg(VolumeLimit::Parse(choices.volumeLimit)
                      ? VolumeLimit::Parse(choices.volumeLimit)->Said()
                      : choices.volumeLimit));
    name(choices.compactBook != defaults.compactBook,
         QCoreApplication::translate("Runs", "without object streams"));
    name(choices.documentTypes != defaults.documentTypes,
         QCoreApplication::translate("Runs", "made of .%1 documents")
             .arg(choices.documentTypes.join(QStringLiteral(", ."))));
    if (named.isEmpty())
        return QString();
    return QCoreApplication::translate("Runs", "This folder's book: %1")
        .arg(named.join(QStringLiteral(", ")));
}

QString HintSaid(const DefaultsHint &hint)
{
    switch (hint.about) {
    case DefaultsHint::About::NumberOrder:
        return QCoreApplication::translate(
                   "Jobs", "%1 comes before %2; right-click the list for Natural order")
            .arg(hint.name, hint.other);
    case DefaultsHint::About::UnlistedDocuments:
        return QCoreApplication::translate("Jobs",
                                           "%n .%1 document(s) are not listed; right-click the "
                                           "documents list to list them",
                                           nullptr, hint.count)
            .arg(hint.type);
    case DefaultsHint::About::CutBookmarkTitle:
        return QCoreApplication::translate(
                   "Jobs", "the bookmark of %1 is titled \"%2\", cut at its first "
                           "dot; right-click the PDF list, Bookmark titles, File name "
                           "without its extension, to keep the whole name")
            .arg(hint.name, hint.other);
    }
    return {};
}

void SayDefaultsHints(const Workspace &ws, MainWindow &window)
{
    QStringList hints;
    for (const DefaultsHint &hint : DefaultsThatMatter(ws, SelectionOf(window), false))
        hints.append(HintSaid(hint));
    window.StatusLine().SetText(hints.isEmpty() ? FolderChoicesLine(window.Choices())
                                                : hints.join(QStringLiteral("; ")));
}

Problems StartUp(Workspace &ws, MainWindow &window, const std::function<void()> &show,
                 MissingIgnoreLists missing)
{
    ws.ResetSettingsPath();
    ApplySettingsStep(ws, window);
    // The menus that hold these show nothing until opened: the status line says them.
    if (const QString chosen = FolderChoicesLine(window.Choices()); !chosen.isEmpty())
        window.StatusLine().SetText(chosen);
    show();
    FolderSelection selection;
    const Problems problems = LoadFolderLists(ws, window.Choices(), missing, selection);
    window.DocumentList().SetOrder(OrderOf(window.Choices()));
    window.PdfList().SetOrder(ListSorting(OrderOf(window.Choices()), selection.ownPdfOrder));
    // What the defaults do that a user may not expect, then a damaged order of the folder's own,
    // said where the user looks first.
    selection.settings.choices = window.Choices();
    QStringList hints;
    for (const DefaultsHint &hint : DefaultsThatMatter(ws, selection, false))
        hints.append(HintSaid(hint));
    if (!hints.isEmpty())
        window.StatusLine().SetText(hints.join(QStringLiteral("; ")));
    if (!selection.ownPdfOrderRead)
        window.StatusLine().SetText(selection.ownPdfOrderRead.message());
    ShowList(selection.documents, FileKind::Doc, window.DocumentList(), window.DocumentCount());
    ShowList(selection.pdfs, FileKind::Pdf, window.PdfList(), window.PdfCount());
    if (!ws.WorkingFolder.isEmpty())
        MarkOutOfDateDocuments(ws.WorkingFolder, window.DocumentList());
    window.DocumentList().SetCurrent(0);
    window.PdfList().SetCurrent(0);
    return problems;
}

} // namespace qf
