#include "batch/BatchRun.h"

#include "compile/BookSize.h"
#include "compile/CompileBook.h"
#include "convert/PdfState.h"
#include "core/DocumentTypes.h"
#include "jobs/Requests.h"
#include "listing/FolderListing.h"
#include "remove/RemoveConverted.h"
#include "store/FolderSelection.h"

#include <QCoreApplication>

#include <algorithm>

namespace qf {
namespace {

QString PdfStateText(PdfState state)
{
    switch (state) {
    case PdfState::Missing:
        return QCoreApplication::translate("Batch", "PDF missing");
    case PdfState::Older:
        return QCoreApplication::translate("Batch", "PDF older than the document");
    case PdfState::UpToDate:
        break;
    }
    return QCoreApplication::translate("Batch", "PDF up to date");
}

QString PdfStateKey(PdfState state)
{
    switch (state) {
    case PdfState::Missing:
        return QStringLiteral("missing");
    case PdfState::Older:
        return QStringLiteral("older");
    case PdfState::UpToDate:
        break;
    }
    return QStringLiteral("up_to_date");
}

QList<PlacedDocument> PlacedOnly(const BookLayout &layout)
{
    QList<PlacedDocument> placed;
    for (const PlacedDocument &doc : layout.Documents())
        if (doc.status)
            placed.append(doc);
    return placed;
}

BatchReport::Volume VolumeReport(const BookVolume &volume)
{
    BatchReport::Volume reported{
        volume.path, volume.layout.TotalPages(), volume.bytes, volume.pagesBefore, {}};
    for (const PlacedDocument &doc : PlacedOnly(volume.layout))
        reported.documents.append(doc.name);
    return reported;
}

// A book cut into volumes, as one: all their pages and bytes.
BatchReport::Book SetOfVolumes(const QList<BatchReport::Volume> &volumes)
{
    BatchReport::Book set{{}, 0, 0, int(volumes.size())};
    for (const BatchReport::Volume &volume : volumes) {
        set.pages += volume.pages;
        set.bytes = set.bytes < 0 || volume.bytes < 0 ? -1 : set.bytes + volume.bytes;
    }
    return set;
}

// A hint at what the defaults do, with the option that changes it.
QString HintWithOption(const DefaultsHint &hint, const BookChoices &choices)
{
    switch (hint.about) {
    case DefaultsHint::About::NumberOrder:
        return QCoreApplication::translate(
                   "Batch", "%1 comes before %2; give --list-order natural to order numbers by "
                            "their value")
            .arg(hint.name, hint.other);
    case DefaultsHint::About::UnlistedDocuments:
        return QCoreApplication::translate("Batch",
                                           "%n .%1 document(s) are not listed; give "
                                           "--document-types %2 to list them",
                                           nullptr, hint.count)
            .arg(hint.type,
                 ParseDocumentTypes(
                     (choices.documentTypes + QStringList{hint.type}).join(QLatin1Char(' ')))
                     .join(QLatin1Char(','))
                     .toLower());
    case DefaultsHint::About::CutBookmarkTitle:
        return QCoreApplication::translate(
                   "Batch", "the bookmark of %1 is titled \"%2\", cut at its first dot; give "
                            "--bookmark-titles name to keep the whole name")
            .arg(hint.name, hint.other);
    }
    return {};
}

// What the defaults do that the user may not expect, as warnings that fail nothing.
void SayDefaultsHints(Console &console, BatchReport &report, const Workspace &ws,
                      const FolderSelection &selection)
{
    for (const DefaultsHint &hint : DefaultsThatMatter(ws, selection, true)) {
        const QString said = HintWithOption(hint, selection.settings.choices);
        console.Error(said);
        report.problems.append({hint.file, said, true});
    }
}

// How the documents would fall into volumes, when the book is cut into them.
void PrintVolumes(QTextStream &out, const CompileRequest &request, const BookPlan &book,
                  BatchReport &report)
{
    if (book.volumes.isEmpty())
        return;
    out << '\n'
        << QCoreApplication::translate("Batch", "Volumes of at most %1:")
               .arg(VolumeLimit::Parse(request.volumeLimit)->Said())
        << '\n';
    for (const BookVolume &volume : book.volumes) {
        const BatchReport::Volume &reported = report.volumes.emplace_back(VolumeReport(volume));
        out << "  " << FileNameFromPath(volume.path) << ": "
            << QCoreApplication::translate("Batch", "%n page(s)", nullptr, reported.pages);
        if (volume.bytes >= 0)
            out << ", " << BookSizeText(volume.bytes, {});
        out << ", " << reported.documents.join(QStringLiteral(", ")) << '\n';
    }
    report.book = SetOfVolumes(report.volumes);
}

// The ticked documents, each with the state of its PDF.
void PrintDocumentsToConvert(QTextStream &out, const Workspace &ws,
                             const FolderSelection &selection, BatchReport &report)
{
    const QStringList documents = selection.documents.Ticked();
    if (!documents.isEmpty())
        out << '\n' << QCoreApplication::translate("Batch", "Documents to convert:") << '\n';
    const QList<PdfState> states = PdfStatesOf(ws.WorkingFolder, documents);
    report.toConvert.emplace();
    for (qsizetype i = 0; i < documents.size(); ++i) {
        out << "  " << documents.at(i) << ": " << PdfStateText(states.at(i)) << '\n';
        report.toConvert->append({ws.PathOf(documents.at(i)), PdfStateKey(states.at(i))});
    }
}

// What the plan's table says: the documents and the totals, across the volumes when the book is
// cut into them, each document starting where its volume puts it, numbered on.
struct PlannedBook {
    QList<PlacedDocument> documents;
    int pages = 0;
    int blankSheets = 0;
    long long bytes = -1;
};

PlannedBook Planned(const BookPlan &book)
{
    if (book.volumes.isEmpty())
        return {book.layout.Documents(), book.layout.TotalPages(), book.layout.BlankSheets(),
                book.bytes};
    PlannedBook planned{DocumentsInVolumes(book.volumes), 0, 0, 0};
    for (const BookVolume &volume : book.volumes) {
        planned.pages += volume.layout.TotalPages();
        planned.blankSheets += volume.layout.BlankSheets();
        planned.bytes = planned.bytes >= 0 && volume.bytes >= 0 ? planned.bytes + volume.bytes : -1;
    }
    return planned;
}

void PrintPlan(Console &console, const Workspace &ws, const FolderSelection &selection,
               const BatchJobs &jobs, BatchReport &report)
{
    QTextStream &out = console.out();
    CompileRequest request =
        CompileRequestFor(ws, selection, QCoreApplication::applicationDirPath());
    GivePasswords(request, jobs.passwords);
    const QString bookPath = BookPath(ws.WorkingFolder, request.bookName);
    out << QCoreApplication::translate("Batch", "Book: %1").arg(bookPath) << '\n'
        << QCoreApplication::translate("Batch", "Blank sheets: %1")
               .arg(request.blankSheets ? QCoreApplication::translate("Batch", "on")
                                        : QCoreApplication::translate("Batch", "off"))
        << '\n';
    if (!request.pageNumbers.isEmpty())
        out << QCoreApplication::translate("Batch", "Page numbers: %1").arg(request.pageNumbers)
            << '\n';
    out << '\n';
    const BookPlan book = PlanBook(request);
    const BookLayout &plan = book.volumes.isEmpty() ? book.layout : book.volumes.first().layout;
    const PlannedBook planned = Planned(book);
    const QList<PlacedDocument> &placed = planned.documents;
    const int totalPages = planned.pages;
    const int blankSheets = planned.blankSheets;
    const long long bytes = planned.bytes;
    const auto startsOn = [](int page, const QString &number) {
        return number.isEmpty()
                   ? QCoreApplication::translate("Batch", "page %1").arg(page + 1)
                   : QCoreApplication::translate("Batch", "page %1 (%2)").arg(page + 1).arg(number);
    };
    const auto yesNo = [](bool yes) {
        return yes ? QCoreApplication::translate("Batch", "yes")
                   : QCoreApplication::translate("Batch", "no");
    };
    // Numbered pages make the start column wider.
    int startsWidth = 9;
    for (const PlacedDocument &doc : placed)
        startsWidth = std::max(startsWidth, int(startsOn(doc.startPage, doc.startNumber).size()));
    out << QStringLiteral("%1  %2  %3  %4  %5\n")
               .arg(QCoreApplication::translate("Batch", "pages"), 5)
               .arg(QCoreApplication::translate("Batch", "starts on"), startsWidth)
               .arg(QCoreApplication::translate("Batch", "blank after"), 11)
               .arg(QCoreApplication::translate("Batch", "bookmark"), -24)
               .arg(QCoreApplication::translate("Batch", "file"));
    if (plan.FrontPages() > 0) {
        out << QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(plan.FrontPages() - plan.FrontBlankSheets(), 5)
                   .arg(startsOn(0, plan.FrontNumber()), startsWidth)
                   .arg(yesNo(plan.FrontBlankSheets() > 0), 11)
                   .arg(plan.FrontTitle(), -24)
                   .arg(QStringLiteral("-"));
        report.index = BatchReport::Index{plan.FrontPages() - plan.FrontBlankSheets(),
                                          plan.FrontBlankSheets() > 0};
    }
    for (const PlacedDocument &doc : placed) {
        if (!doc.status) {
            out << QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(QStringLiteral("-"), 5)
                       .arg(QStringLiteral("-"), startsWidth)
                       .arg(QStringLiteral("-"), 11)
                       .arg(doc.title, -24)
                       .arg(QCoreApplication::translate("Batch", "%1: left out, %2")
                                .arg(doc.name, doc.status.reason()));
            report.AddError(ws.PathOf(doc.name), doc.status.reason());
            continue;
        }
        out << QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(doc.pages, 5)
                   .arg(startsOn(doc.startPage, doc.startNumber), startsWidth)
                   .arg(yesNo(doc.blankAfter), 11)
                   .arg(doc.title, -24)
                   .arg(doc.missing ? doc.name
                                    : QCoreApplication::translate(
                                          "Batch", "%1: left out, %2; a page says so in its place")
                                          .arg(doc.name, doc.missing.reason()));
        if (!doc.missing)
            report.AddError(ws.PathOf(doc.name), doc.missing.reason());
    }
    out << '\n'
        << QCoreApplication::translate("Batch", "Total: %1 (%2, %3)")
               .arg(QCoreApplication::translate("Batch", "%n page(s)", nullptr, totalPages),
                    QCoreApplication::translate("Batch", "%n document(s)", nullptr,
                                                int(placed.size())),
                    QCoreApplication::translate("Batch", "%n blank sheet(s)", nullptr, blankSheets))
        << '\n';
    if (bytes >= 0)
        out << QCoreApplication::translate("Batch", "Size: about %1")
                   .arg(BookSizeText(bytes, book.shared))
            << '\n';
    if (request.pageFit)
        out << QCoreApplication::translate("Batch", "Pages scaled to %1: %2")
                   .arg(request.pageFit.Name())
                   .arg(book.scaledPages)
            << '\n';
    report.documents.clear();
    for (const PlacedDocument &doc : placed)
        if (doc.status)
            report.documents.append(doc);
    if (!plan.Empty())
        report.book = BatchReport::Book{bookPath, totalPages, bytes, 0, book.scaledPages};
    PrintVolumes(out, request, book, report);
    PrintDocumentsToConvert(out, ws, selection, report);
    SayDefaultsHints(console, report, ws, selection);
    if (placed.isEmpty()) {
        const QString nothing = QCoreApplication::translate(
            "Batch", "No PDF file is ticked, so there is nothing to compile.");
        console.Error(nothing);
        report.AddError({}, nothing);
    }
}

// Says what went wrong in a job, headed as the window's message would be; false when anything
// did.
bool Report(Console &console, BatchReport &report, const Problems &problems,
            const QList<Notice> &notices, const QString &heading)
{
    if (!problems.empty())
        console.Error(problems.report(heading));
    report.Add(problems);
    report.Add(notices);
    return problems.empty() && notices.isEmpty();
}

// A job stopped by a signal says what it left, whatever stage it was at.
void SayStopped(Console &console, BatchReport &report, const QString &what)
{
    console.EndProgress();
    console.Error(what);
    report.AddError({}, what);
}

// The folder's choices as the command line overrides them.
void ApplyChoices(const BatchJobs &jobs, const Workspace &ws, FolderSelection &selection)
{
    FolderSettings &settings = selection.settings;
    BookChoices &choices = settings.choices;
    if (jobs.blankSheets)
        settings.blankSheets = *jobs.blankSheets ? 1 : 0;
    if (jobs.bookName)
        settings.bookName = *jobs.bookName;
    if (jobs.fitBlankSheets)
        choices.fitBlankSheets = *jobs.fitBlankSheets;
    if (jobs.keepBookmarks)
        choices.keepBookmarks = *jobs.keepBookmarks;
    if (jobs.linearized)
        choices.linearized = *jobs.linearized;
    if (jobs.ocr)
        choices.ocr = *jobs.ocr;
    if (jobs.indexPage)
        choices.indexPage = *jobs.indexPage;
    if (jobs.pageNumbers)
        choices.pageNumbers = *jobs.pageNumbers;
    if (jobs.volumeLimit)
        choices.volumeLimit = *jobs.volumeLimit;
    if (jobs.bookTitle)
        choices.bookTitle = *jobs.bookTitle;
    if (jobs.bookmarkTitles)
        choices.bookmarkTitles = *jobs.bookmarkTitles;
    if (jobs.pageSize)
        choices.pageSize = *jobs.pageSize;
    if (jobs.forFiling)
        choices.forFiling = *jobs.forFiling;
    if (jobs.naturalOrder) {
        choices.naturalOrder = *jobs.naturalOrder;
        SortLists(selection);
    }
    if (jobs.documentTypes) {
        choices.documentTypes = *jobs.documentTypes;
        ListWithTicks(ws, FileKind::Doc, choices.documentTypes, OrderOf(choices),
                      ws.DocIgnorePath(), MissingIgnoreLists::Leave, selection.documents);
    }
}

// The removal: each PDF taken away is said on its own line.
bool RunRemoval(const BatchJobs &jobs, const Workspace &ws, const FolderSelection &selection,
                Console &console, BatchReport &report)
{
    QTextStream &out = console.out();
    // The result lines (Trashed:, Deleted:, Up to date:, Converted:, Book:) stay English in
    // every language: scripts read them.
    const RemovalResult removed = RemoveConvertedPdfs(
        ws.WorkingFolder, selection.pdfs.names, selection.settings.choices.documentTypes,
        jobs.trash ? Removal::Trash : Removal::Delete);
    for (const QString &path : removed.trashed)
        out << QStringLiteral("Trashed: %1").arg(path) << '\n';
    for (const QString &path : removed.deleted)
        out << QStringLiteral("Deleted: %1").arg(path) << '\n';
    report.trashed = removed.trashed;
    report.deleted = removed.deleted;
    if (removed.noTrash) {
        const QString said = QCoreApplication::translate(
            "Batch", "No trash could be had for the folder, so the PDFs were deleted.");
        console.Error(said);
        report.problems.append({ws.WorkingFolder, said, true});
    }
    return Report(console, report, removed.problems, {},
                  QCoreApplication::translate("Batch", "Not every PDF file could be deleted:"));
}

// The conversion, of every ticked document or only of those whose PDF is not up to date.
bool RunConversion(const BatchJobs &jobs, Workspace &ws, const FolderSelection &selection,
                   const WordProcessorStarter &wordProcessor, Console &console, BatchReport &report)
{
    QTextStream &out = console.out();
    Problems problems;
    ConversionResult result;
    ConversionRequest request = ConversionRequestFor(ws, selection);
    QStringList names;
    for (const ConversionEntry &entry : request.entries)
        names.append(entry.name);
    bool anyToConvert = true;
    if (jobs.changedOnly) {
        // Up-to-date documents are left as they are; with none left, no office starts.
        anyToConvert = false;
        const QList<PdfState> states = PdfStatesOf(ws.WorkingFolder, names);
        for (qsizetype i = 0; i < request.entries.size(); ++i) {
            ConversionEntry &entry = request.entries[i];
            if (entry.ticked && states.at(i) == PdfState::UpToDate) {
                entry.ticked = false;
                out << QStringLiteral("Up to date: %1").arg(ws.PathOf(entry.name)) << '\n';
                report.upToDate.append(ws.PathOf(entry.name));
            }
            anyToConvert |= entry.ticked;
        }
    }
    if (!anyToConvert) {
        problems = StoreRunChoices(ws, selection);
        result.started = true; // nothing needed doing
    } else if (const Status there = wordProcessor.check(); !there) {
        problems.add(there);
    } else {
        problems = StoreRunChoices(ws, selection);
        ConsoleObserver observer(console, QCoreApplication::translate("Batch", "convert"));
        result = ConvertDocuments(request, wordProcessor, observer);
        problems.merge(result.problems);
        if (result.stopped)
            SayStopped(console, report, StoppedConversionSaid(int(result.converted.size())));
    }
    for (const ConvertedDocument &doc : result.converted)
        out << QStringLiteral("Converted: %1 -> %2").arg(doc.document, doc.pdf) << '\n';
    report.converted = result.converted;
    const bool reported = Report(
        console, report, problems, result.notices,
        result.started
            ? QCoreApplication::translate("Batch", "Not every document was converted to PDF:")
            : QCoreApplication::translate("Batch", "No document was converted to PDF:"));
    return reported && !result.stopped;
}

// The compile, unless the folder's stored book name or page-number format cannot be used.
bool RunCompile(Workspace &ws, const FolderSelection &selection, const BatchJobs &jobs,
                Console &console, BatchReport &report)
{
    QTextStream &out = console.out();
    if (ConsoleObserver::Stopped())
        return false; // a stop asked for during an earlier job
    const FolderSettings &settings = selection.settings;
    if (!CheckOutputFileName(settings.bookName)) {
        // Only a name the window stored can be refused here: --output's was checked.
        const QString reason =
            QCoreApplication::translate("Batch", "The folder's book name \"%1\" (OutputName in "
                                                 "%2) is not a plain file name, so no book was "
                                                 "made; give one with --output NAME.")
                .arg(settings.bookName, kSettingsFileName);
        console.Error(reason);
        report.AddError(ws.SettingsPath, reason);
        return false;
    }
    if (const Status format = CheckPageNumberFormat(settings.choices.pageNumbers); !format) {
        // As with the name: only a format the window stored, or a hand, can be refused here.
        const QString reason =
            QCoreApplication::translate("Batch", "The folder's page numbers \"%1\" (PageNumbers "
                                                 "in %2) cannot be used: the format %3. No book "
                                                 "was made; give a format with --page-numbers.")
                .arg(settings.choices.pageNumbers, kSettingsFileName, format.reason());
        console.Error(reason);
        report.AddError(ws.SettingsPath, reason);
        return false;
    }
    {
        Problems problems = StoreRunChoices(ws, selection);
        CompileRequest request =
            CompileRequestFor(ws, selection, QCoreApplication::applicationDirPath());
        GivePasswords(request, jobs.passwords);
        ws.OutputFileName = request.bookName;
        NoBookViewer viewer;
        ConsoleObserver observer(console, QCoreApplication::translate("Batch", "compile"));
        const CompileResult result = CompileBook(request, observer, viewer);
        problems.merge(result.problems);
        if (result.stopped)
            SayStopped(console, report, StoppedCompileSaid());
        report.Add(result.notices); // said on the console as they came; warnings, no failure
        for (const QString &said : result.saidAtEnd)
            console.Error(said);
        report.AddNotes(result.notes);
        for (const Status &note : result.notes.list())
            console.Note(note.message());
        report.documents = PlacedOnly(result.layout);
        for (const BookVolume &volume : result.volumes)
            report.volumes.append(VolumeReport(volume));
        if (!result.volumes.isEmpty()) {
            report.documents.clear();
            for (const PlacedDocument &doc : DocumentsInVolumes(result.volumes))
                if (doc.status)
                    report.documents.append(doc);
        }
        if (result.layout.FrontPages() > 0)
            report.index =
                BatchReport::Index{result.layout.FrontPages() - result.layout.FrontBlankSheets(),
                                   result.layout.FrontBlankSheets() > 0};
        console.EndProgress();
        if (!result.book.isEmpty()) {
            out << QStringLiteral("Book: %1").arg(result.book) << '\n';
            for (const BookVolume &volume : result.volumes.mid(1))
                out << QStringLiteral("Book: %1").arg(volume.path) << '\n';
            // Said, but no failure of the compile: the book is made of the PDFs there are.
            for (const StalePdf &stale : StalePdfs(ws, selection)) {
                console.Error(stale.warning);
                report.problems.append({stale.document, stale.warning, true});
            }
            SayDefaultsHints(console, report, ws, selection);
            console.Note(QCoreApplication::translate("Batch", "The book's size: %1")
                             .arg(BookSizeText(result.bytes, result.shared)));
            if (!result.recognised.isEmpty())
                console.Note(
                    QCoreApplication::translate("Batch", "Scanned pages made searchable: %1")
                        .arg(RecognisedText(result.recognised)));
            report.recognised = result.recognised;
            if (const QString room = NumberRoomText(result.numberRoom); !room.isEmpty())
                console.Note(room);
            for (const BookChange &change : result.changes)
                console.Note(QStringLiteral("%1: %2").arg(change.file, change.change));
            report.changes = result.changes;
            report.book =
                result.volumes.isEmpty()
                    ? BatchReport::Book{result.book, result.layout.TotalPages(), result.bytes}
                    : SetOfVolumes(report.volumes);
            report.book->scaledPages = result.scaledPages;
            report.book->shrunkPages = result.numberRoom.pages;
        } else {
            report.documents.clear(); // no book holds them
        }
        const bool reported =
            Report(console, report, problems, {},
                   result.book.isEmpty()
                       ? QCoreApplication::translate("Batch", "No book was made.")
                       : QCoreApplication::translate(
                             "Batch", "The book was made, but not everything went well:"));
        return reported && !result.stopped;
    }
}

} // namespace

BatchReport RunBatchJobs(const QString &folder, const BatchJobs &jobs,
                         const WordProcessorStarter &wordProcessor, Console &console)
{
    BatchReport report;
    Workspace ws = Workspace::FromArguments({folder});
    FolderSelection selection;
    ws.ResetSettingsPath();
    const Problems startProblems = LoadFolderSelection(
        ws, jobs.plan || jobs.checkFiling ? MissingIgnoreLists::Leave : MissingIgnoreLists::Create,
        selection);
    report.Add(startProblems);
    // Without its ignore lists the ticks are not the window's, and a run would overwrite them.
    bool ignoreListsUnknown = false;
    for (const Status &problem : startProblems.list()) {
        console.Error(problem.message());
        ignoreListsUnknown |= problem.file() == ResolveIgnoringCase(ws.DocIgnorePath()) ||
                              problem.file() == ResolveIgnoringCase(ws.PdfIgnorePath());
    }
    if (ignoreListsUnknown) {
        const QString reason = QCoreApplication::translate(
            "Batch", "the folder's ignore lists cannot be used, so nothing was done");
        console.Error(reason);
        report.AddError({}, reason);
        report.exitStatus = 1;
        return report;
    }
    if (const Status order = selection.ownPdfOrderRead; !order) {
        console.Error(order.message()); // a notice: the book is made in the sorted order
        report.problems.append({order.file(), order.reason(), true});
    }
    ApplyChoices(jobs, ws, selection);
    report.documentTypes = selection.settings.choices.documentTypes;

    if (jobs.checkFiling) {
        const QList<FilingFinding> findings = CheckForFiling(
            CompileRequestFor(ws, selection, QCoreApplication::applicationDirPath()));
        for (const FilingFinding &finding : findings)
            console.out() << FindingLine(finding) << '\n';
        if (findings.isEmpty())
            console.Note(NothingForFilingSaid());
        report.findings = findings;
        report.exitStatus = findings.isEmpty() && report.problems.isEmpty() ? 0 : 1;
        console.out().flush();
        return report;
    }
    if (jobs.plan) {
        PrintPlan(console, ws, selection, jobs, report);
        // What the defaults do, and other warnings, fail no plan.
        report.exitStatus = std::any_of(report.problems.begin(), report.problems.end(),
                                        [](const BatchReport::Problem &problem) {
                                            return !problem.warning && !problem.note;
                                        })
                                ? 1
                                : 0;
        console.out().flush();
        return report;
    }

    QTextStream &out = console.out();
    bool allDone = startProblems.empty();
    // A later job sees the PDFs as the window would list them at start-up.
    const auto relistPdfs = [&] {
        ListWithTicks(ws, FileKind::Pdf, {}, PdfSorting(selection), ws.PdfIgnorePath(),
                      MissingIgnoreLists::Leave, selection.pdfs);
    };
    if (jobs.remove) {
        allDone &= RunRemoval(jobs, ws, selection, console, report);
        relistPdfs();
    }
    if (jobs.convert) {
        allDone &= RunConversion(jobs, ws, selection, wordProcessor, console, report);
        relistPdfs();
    }
    if (jobs.compile)
        allDone &= RunCompile(ws, selection, jobs, console, report);
    out.flush();
    report.exitStatus = allDone ? 0 : 1;
    return report;
}

} // namespace qf
