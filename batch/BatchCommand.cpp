#include "batch/BatchCommand.h"

#include "batch/Console.h"
#include "compile/BookSize.h"
#include "compile/CompileBook.h"
#include "convert/ConvertDocs.h"
#include "convert/PdfState.h"
#include "core/DocumentTypes.h"
#include "listing/FolderListing.h"
#include "remove/RemoveConverted.h"
#include "runs/RunFrame.h"
#include "runs/StartUp.h"
#include "store/IgnoreList.h"
#include "window/MemoryWindow.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

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

// The compile the window would run on the folder as it stands.
CompileRequest CompileRequestFor(const Workspace &ws, const MemoryWindow &window)
{
    return {ws.WorkingFolder,
            window.pdfList.tickedTexts(),
            window.bookName.Text(),
            window.blankSheetOption.Value() == 1,
            QCoreApplication::applicationDirPath(),
            window.choices.fitBlankSheets,
            window.choices.keepBookmarks,
            window.choices.compactBook,
            window.choices.linearized};
}

bool PrintPlan(Console &console, const Workspace &ws, const MemoryWindow &window)
{
    QTextStream &out = console.out();
    const CompileRequest request = CompileRequestFor(ws, window);
    out << QCoreApplication::translate("Batch", "Book: %1")
               .arg(BookPath(ws.WorkingFolder, request.bookName))
        << '\n'
        << QCoreApplication::translate("Batch", "Blank sheets: %1")
               .arg(request.blankSheets ? QCoreApplication::translate("Batch", "on")
                                        : QCoreApplication::translate("Batch", "off"))
        << "\n\n";
    const BookPlan book = PlanBook(request);
    const BookLayout &plan = book.layout;
    bool allReadable = true;
    out << QStringLiteral("%1  %2  %3  %4  %5\n")
               .arg(QCoreApplication::translate("Batch", "pages"), 5)
               .arg(QCoreApplication::translate("Batch", "starts on"), 9)
               .arg(QCoreApplication::translate("Batch", "blank after"), 11)
               .arg(QCoreApplication::translate("Batch", "bookmark"), -24)
               .arg(QCoreApplication::translate("Batch", "file"));
    for (const PlacedDocument &doc : plan.Documents()) {
        if (!doc.status) {
            out << QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(QStringLiteral("-"), 5)
                       .arg(QStringLiteral("-"), 9)
                       .arg(QStringLiteral("-"), 11)
                       .arg(doc.title, -24)
                       .arg(QCoreApplication::translate("Batch", "%1: left out, %2")
                                .arg(doc.name, doc.status.reason()));
            allReadable = false;
            continue;
        }
        out << QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(doc.pages, 5)
                   .arg(QCoreApplication::translate("Batch", "page %1").arg(doc.startPage + 1), 9)
                   .arg(doc.blankAfter ? QCoreApplication::translate("Batch", "yes")
                                       : QCoreApplication::translate("Batch", "no"),
                        11)
                   .arg(doc.title, -24)
                   .arg(doc.name);
    }
    out << '\n'
        << QCoreApplication::translate("Batch", "Total: %1 pages (%2 documents, %3 blank sheets)")
               .arg(plan.TotalPages())
               .arg(plan.Documents().size())
               .arg(plan.BlankSheets())
        << '\n';
    if (book.bytes >= 0)
        out << QCoreApplication::translate("Batch", "Size: about %1")
                   .arg(BookSizeText(book.bytes, book.shared))
            << '\n';
    const QStringList documents = window.documentList.tickedTexts();
    if (!documents.isEmpty())
        out << '\n' << QCoreApplication::translate("Batch", "Documents to convert:") << '\n';
    const QList<PdfState> states = PdfStatesOf(ws.WorkingFolder, documents);
    for (qsizetype i = 0; i < documents.size(); ++i)
        out << "  " << documents.at(i) << ": " << PdfStateText(states.at(i)) << '\n';
    if (plan.Documents().isEmpty())
        console.Error(QCoreApplication::translate(
            "Batch", "No PDF file is ticked, so there is nothing to compile."));
    return allReadable && !plan.Documents().isEmpty();
}

// Says what went wrong in a job, headed as the window's message would be; false when anything did.
bool Report(Console &console, const Problems &problems, const QList<Notice> &notices,
            const QString &heading)
{
    if (!problems.empty())
        console.Error(problems.report(heading));
    return problems.empty() && notices.isEmpty();
}

} // namespace

int RunBatchCommand(const QStringList &arguments, const WordProcessorStarter &wordProcessor)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "Batch", "Runs Quirefold's jobs on FOLDER without a window. The ticks are those the "
                 "window shows at start-up: every file except those named in the folder's "
                 "ignore lists. Several jobs run in the order remove, convert, compile.\n\n"
                 "The choices marked \"stored for the folder\" go into the folder's "
                 "Quirefold.INI when a job runs, as the window's runs store them, and hold for "
                 "the window and later runs; --plan stores nothing, and a value that is refused "
                 "is never stored."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QCoreApplication::translate("Batch", "FOLDER"),
                                 QCoreApplication::translate("Batch", "The working folder."));
    const QCommandLineOption convert(
        QStringLiteral("convert"),
        QCoreApplication::translate("Batch", "Print the ticked documents to PDF."));
    const QCommandLineOption compile(
        QStringLiteral("compile"),
        QCoreApplication::translate(
            "Batch", "Compile the ticked PDFs into the book in \"PDFCompile Output\"."));
    const QCommandLineOption remove(
        QStringLiteral("remove-converted"),
        QCoreApplication::translate("Batch", "Delete the PDFs that have a matching document."));
    const QCommandLineOption trash(
        QStringLiteral("trash"),
        QCoreApplication::translate(
            "Batch", "With --remove-converted: move the PDFs to the trash instead of deleting "
                     "them."));
    const QCommandLineOption plan(
        QStringLiteral("plan"),
        QCoreApplication::translate("Batch", "Change nothing; print the book's map and which "
                                             "documents lack an up-to-date PDF."));
    const QCommandLineOption blank(
        QStringLiteral("blank-sheets"),
        QCoreApplication::translate("Batch", "Add a blank sheet after a document that ends "
                                             "on an odd page (stored for the folder)."));
    const QCommandLineOption noBlank(
        QStringLiteral("no-blank-sheets"),
        QCoreApplication::translate("Batch", "Add no blank sheets (stored for the folder)."));
    const QCommandLineOption fit(
        QStringLiteral("fit-blank-sheets"),
        QCoreApplication::translate(
            "Batch", "Make each blank sheet the size and orientation of the page before it "
                     "(stored for the folder)."));
    const QCommandLineOption noFit(
        QStringLiteral("no-fit-blank-sheets"),
        QCoreApplication::translate(
            "Batch", "Make every blank sheet A4, as empty_page.pdf is (stored for the folder)."));
    const QCommandLineOption changedOnly(
        QStringLiteral("changed-only"),
        QCoreApplication::translate(
            "Batch", "With --convert: only the documents whose PDF is missing or older than "
                     "the document."));
    const QCommandLineOption types(
        QStringLiteral("document-types"),
        QCoreApplication::translate(
            "Batch", "The kinds of document to list and convert, from doc, docx, docm, odt and "
                     "rtf, e.g. doc,docx (stored for the folder)."),
        QCoreApplication::translate("Batch", "TYPES"));
    const QCommandLineOption keep(
        QStringLiteral("keep-bookmarks"),
        QCoreApplication::translate(
            "Batch", "Put each PDF's own bookmarks under its bookmark in the book (stored for "
                     "the folder)."));
    const QCommandLineOption noKeep(
        QStringLiteral("no-keep-bookmarks"),
        QCoreApplication::translate(
            "Batch", "One bookmark per PDF, its own left out (stored for the folder)."));
    const QCommandLineOption linearize(
        QStringLiteral("linearize"),
        QCoreApplication::translate("Batch", "Write the book for fast web view, linearized "
                                             "(stored for the folder)."));
    const QCommandLineOption noLinearize(
        QStringLiteral("no-linearize"),
        QCoreApplication::translate(
            "Batch", "Write the book without linearizing it (stored for the folder)."));
    const QCommandLineOption output(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QCoreApplication::translate("Batch", "The book's file name (stored for the folder)."),
        QCoreApplication::translate("Batch", "NAME"));
    const QCommandLineOption quiet(
        QStringList{QStringLiteral("q"), QStringLiteral("quiet")},
        QCoreApplication::translate(
            "Batch", "Say no progress and no notes on standard error; problems are still said."));
    parser.addOptions({convert, changedOnly, compile, remove, trash, plan, blank, noBlank, fit,
                       noFit, keep, noKeep, linearize, noLinearize, types, output, quiet});

    Console console(::isatty(STDERR_FILENO) == 1);
    if (!parser.parse(arguments)) {
        console.Error(parser.errorText() + QCoreApplication::translate("Batch", " (see --help)"));
        return kBatchUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        console.out() << parser.helpText();
        return kBatchDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        console.out() << QCoreApplication::applicationName() << ' '
                      << QCoreApplication::applicationVersion() << '\n';
        return kBatchDone;
    }
    const QStringList folders = parser.positionalArguments();
    const bool anyJob = parser.isSet(convert) || parser.isSet(compile) || parser.isSet(remove);
    QStringList unknownTypes;
    const QStringList chosenTypes = ParseDocumentTypes(parser.value(types), &unknownTypes);
    QString usage;
    if (folders.size() != 1)
        usage = QCoreApplication::translate("Batch", "give exactly one FOLDER");
    else if (!anyJob && !parser.isSet(plan))
        usage = QCoreApplication::translate(
            "Batch", "nothing to do: give --convert, --compile, --remove-converted or --plan");
    else if (anyJob && parser.isSet(plan))
        usage = QCoreApplication::translate(
            "Batch", "--plan changes nothing, so it cannot be given with a job");
    else if (parser.isSet(blank) && parser.isSet(noBlank))
        usage = QCoreApplication::translate("Batch",
                                            "give --blank-sheets or --no-blank-sheets, not both");
    else if (parser.isSet(fit) && parser.isSet(noFit))
        usage = QCoreApplication::translate(
            "Batch", "give --fit-blank-sheets or --no-fit-blank-sheets, not both");
    else if (parser.isSet(trash) && !parser.isSet(remove))
        usage = QCoreApplication::translate("Batch", "--trash goes with --remove-converted");
    else if (parser.isSet(changedOnly) && !parser.isSet(convert))
        usage = QCoreApplication::translate("Batch", "--changed-only goes with --convert");
    else if (!unknownTypes.isEmpty())
        usage = QCoreApplication::translate(
                    "Batch", "--document-types: %1 is not one of doc, docx, docm, odt, rtf")
                    .arg(unknownTypes.first());
    else if (parser.isSet(keep) && parser.isSet(noKeep))
        usage = QCoreApplication::translate(
            "Batch", "give --keep-bookmarks or --no-keep-bookmarks, not both");
    else if (parser.isSet(output) && !CheckOutputFileName(parser.value(output)))
        usage = QCoreApplication::translate(
                    "Batch", "--output: \"%1\" is not a plain file name such as Handbook.pdf")
                    .arg(parser.value(output));
    console.SetQuiet(parser.isSet(quiet));
    if (!usage.isEmpty()) {
        console.Error(usage + QCoreApplication::translate("Batch", " (see --help)"));
        return kBatchUsage;
    }
    const QFileInfo folderInfo(folders.first());
    if (!folderInfo.isDir() || !QDir(folders.first()).isReadable()) {
        console.Error(QStringLiteral("%1: %2").arg(
            folders.first(),
            folderInfo.exists()
                ? QCoreApplication::translate("Batch", "is not a folder that can be read")
                : QCoreApplication::translate("Batch", "no such folder")));
        return kBatchUsage;
    }

    Workspace ws = Workspace::FromArguments(folders);
    MemoryWindow window;
    const Problems startProblems = StartUp(
        ws, window, [] {},
        parser.isSet(plan) ? MissingIgnoreLists::Leave : MissingIgnoreLists::Create);
    // Without its ignore lists the ticks are not the window's, and a run would overwrite them.
    bool ignoreListsUnknown = false;
    for (const Status &problem : startProblems.list()) {
        console.Error(problem.message());
        ignoreListsUnknown |= problem.file() == ResolveIgnoringCase(ws.DocIgnorePath()) ||
                              problem.file() == ResolveIgnoringCase(ws.PdfIgnorePath());
    }
    if (ignoreListsUnknown) {
        console.Error(QCoreApplication::translate(
            "Batch", "the folder's ignore lists cannot be used, so nothing was done"));
        return kBatchSomethingFailed;
    }
    if (parser.isSet(blank) || parser.isSet(noBlank))
        window.blankSheetOption.SetValue(parser.isSet(blank) ? 1 : 0);
    if (parser.isSet(output))
        window.bookName.SetText(parser.value(output));
    if (parser.isSet(fit) || parser.isSet(noFit))
        window.choices.fitBlankSheets = parser.isSet(fit);
    if (parser.isSet(keep) || parser.isSet(noKeep))
        window.choices.keepBookmarks = parser.isSet(keep);
    if (parser.isSet(linearize) || parser.isSet(noLinearize))
        window.choices.linearized = parser.isSet(linearize);
    if (parser.isSet(types)) {
        window.choices.documentTypes = chosenTypes;
        RelistDocuments(ws, window);
    }

    if (parser.isSet(plan))
        return PrintPlan(console, ws, window) && startProblems.empty() ? kBatchDone
                                                                       : kBatchSomethingFailed;

    QTextStream &out = console.out();
    bool allDone = startProblems.empty();
    // A later job sees the PDFs as the window would list them at start-up.
    const auto relistPdfs = [&] {
        RefillList(ws.WorkingFolder, window.pdfList, window.pdfCount, FileKind::Pdf);
        LoadIgnoreList(ws.PdfIgnorePath(), window.pdfList);
    };
    if (parser.isSet(remove)) {
        // The result lines (Trashed:, Deleted:, Up to date:, Converted:, Book:) stay English in
        // every language: scripts read them.
        const RemovalResult removed = RemoveConvertedPdfs(
            ws.WorkingFolder, window.pdfList.texts(), window.choices.documentTypes,
            parser.isSet(trash) ? Removal::Trash : Removal::Delete);
        for (const QString &path : removed.trashed)
            out << QStringLiteral("Trashed: %1").arg(path) << '\n';
        for (const QString &path : removed.deleted)
            out << QStringLiteral("Deleted: %1").arg(path) << '\n';
        if (removed.noTrash)
            console.Error(QCoreApplication::translate(
                "Batch", "No trash could be had for the folder, so the PDFs were "
                         "deleted."));
        allDone &=
            Report(console, removed.problems, {},
                   QCoreApplication::translate("Batch", "Not every PDF file could be deleted:"));
        relistPdfs();
    }
    if (parser.isSet(convert)) {
        Problems problems;
        ConversionResult result;
        ConversionRequest request{ws.WorkingFolder, {}, ws.OutputFileName, 0};
        QStringList names;
        for (int i = 0; i < window.documentList.ListCount(); ++i) {
            request.entries.append(
                {window.documentList.ItemText(i), window.documentList.Selected(i)});
            names.append(window.documentList.ItemText(i));
        }
        bool anyToConvert = true;
        if (parser.isSet(changedOnly)) {
            // Up-to-date documents are left as they are; with none left, no office starts.
            anyToConvert = false;
            const QList<PdfState> states = PdfStatesOf(ws.WorkingFolder, names);
            for (qsizetype i = 0; i < request.entries.size(); ++i) {
                ConversionEntry &entry = request.entries[i];
                if (entry.ticked && states.at(i) == PdfState::UpToDate) {
                    entry.ticked = false;
                    out << QStringLiteral("Up to date: %1").arg(ws.PathOf(entry.name)) << '\n';
                }
                anyToConvert |= entry.ticked;
            }
        }
        if (!anyToConvert) {
            problems = StoreRunChoices(ws, window);
            result.started = true; // nothing needed doing
        } else if (const Status there = wordProcessor.check(); !there) {
            problems.add(there);
        } else {
            problems = StoreRunChoices(ws, window);
            ConsoleObserver observer(console, QCoreApplication::translate("Batch", "convert"));
            result = ConvertDocuments(request, wordProcessor, observer);
            problems.merge(result.problems);
        }
        for (const ConvertedDocument &doc : result.converted)
            out << QStringLiteral("Converted: %1 -> %2").arg(doc.document, doc.pdf) << '\n';
        allDone &= Report(
            console, problems, result.notices,
            result.started
                ? QCoreApplication::translate("Batch", "Not every document was converted to PDF:")
                : QCoreApplication::translate("Batch", "No document was converted to PDF:"));
        relistPdfs();
    }
    if (parser.isSet(compile) && !CheckOutputFileName(window.bookName.Text())) {
        // Only a name the window stored can be refused here: --output's was checked.
        console.Error(QCoreApplication::translate(
                          "Batch", "The folder's book name \"%1\" (OutputName in %2) is not a "
                                   "plain file name, so no book was made; give one with "
                                   "--output NAME.")
                          .arg(window.bookName.Text(), kSettingsFileName));
        allDone = false;
    } else if (parser.isSet(compile)) {
        Problems problems = StoreRunChoices(ws, window);
        const CompileRequest request = CompileRequestFor(ws, window);
        ws.OutputFileName = request.bookName;
        NoBookViewer viewer;
        ConsoleObserver observer(console, QCoreApplication::translate("Batch", "compile"));
        const CompileResult result = CompileBook(request, observer, viewer);
        problems.merge(result.problems);
        if (!result.book.isEmpty()) {
            out << QStringLiteral("Book: %1").arg(result.book) << '\n';
            console.Note(QCoreApplication::translate("Batch", "The book's size: %1")
                             .arg(BookSizeText(result.bytes, result.shared)));
        }
        allDone &= Report(console, problems, result.notices,
                          result.book.isEmpty()
                              ? QCoreApplication::translate("Batch", "No book was made.")
                              : QCoreApplication::translate(
                                    "Batch", "The book was made, but not everything went well:"));
    }
    out.flush();
    return allDone ? kBatchDone : kBatchSomethingFailed;
}

} // namespace qf
