#include "batch/BatchOptions.h"

#include "compile/CompileBook.h"
#include "core/DocumentTypes.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace qf {

BatchOptions ParseBatchOptions(const QStringList &arguments)
{
    BatchOptions options;
    // Scripts that asked for JSON get it for a wrong command line too.
    options.json = arguments.contains(QStringLiteral("--json"));
    options.watch = arguments.contains(QStringLiteral("--watch"));
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
    const QCommandLineOption index(
        QStringLiteral("index-page"),
        QCoreApplication::translate(
            "Batch", "Put an index in front of the book: its title, then each document with the "
                     "number of its first page, each line a link (stored for the folder)."));
    const QCommandLineOption noIndex(
        QStringLiteral("no-index-page"),
        QCoreApplication::translate("Batch", "Put no index in front of the book (stored for the "
                                             "folder)."));
    const QCommandLineOption pageNumbers(
        QStringLiteral("page-numbers"),
        QCoreApplication::translate(
            "Batch", "Stamp every page's number at its bottom right, as FORMAT says: {n} the "
                     "number, {n:6} the number zero-padded to six digits, {total} the count of "
                     "pages, e.g. \"Page {n} of {total}\" or \"ABC{n:6}\". The book's page labels "
                     "and bookmarks say the same numbers (stored for the folder)."),
        QCoreApplication::translate("Batch", "FORMAT"));
    const QCommandLineOption noPageNumbers(
        QStringLiteral("no-page-numbers"),
        QCoreApplication::translate("Batch", "Stamp no page numbers (stored for the folder)."));
    const QCommandLineOption bookmarkTitles(
        QStringLiteral("bookmark-titles"),
        QCoreApplication::translate(
            "Batch", "What each document's bookmark says: short, its file name cut before the "
                     "first dot (the default); name, its file name without the extension; title, "
                     "the PDF's own title where it has one (stored for the folder)."),
        QCoreApplication::translate("Batch", "KIND"));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QCoreApplication::translate(
            "Batch", "Print one JSON document on standard output, and nothing else: the book, "
                     "its documents, the converted and deleted files and the problems (see the "
                     "manual page). Results for people go to standard error."));
    const QCommandLineOption watch(
        QStringLiteral("watch"),
        QCoreApplication::translate(
            "Batch", "With --compile and/or --convert --changed-only: run once, then again "
                     "whenever the folder's documents or PDFs change, until SIGINT or SIGTERM. "
                     "With --json, one line of JSON per run."));
    parser.addOptions({convert,        changedOnly, compile, remove,  trash,       plan,
                       blank,          noBlank,     fit,     noFit,   keep,        noKeep,
                       linearize,      noLinearize, index,   noIndex, pageNumbers, noPageNumbers,
                       bookmarkTitles, types,       output,  quiet,   json,        watch});

    const auto refuse = [&](const QString &reason) {
        options.outcome = BatchOptions::Outcome::Usage;
        options.text = reason;
        return options;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        options.outcome = BatchOptions::Outcome::Help;
        options.text = parser.helpText();
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.outcome = BatchOptions::Outcome::Version;
        options.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                       QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return options;
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
    else if (parser.isSet(watch) && (parser.isSet(plan) || parser.isSet(remove) ||
                                     (parser.isSet(convert) && !parser.isSet(changedOnly))))
        usage = QCoreApplication::translate(
            "Batch", "--watch goes with --compile and --convert --changed-only only");
    else if (parser.isSet(index) && parser.isSet(noIndex))
        usage =
            QCoreApplication::translate("Batch", "give --index-page or --no-index-page, not both");
    else if (parser.isSet(pageNumbers) && parser.isSet(noPageNumbers))
        usage = QCoreApplication::translate("Batch",
                                            "give --page-numbers or --no-page-numbers, not both");
    else if (const Status format = CheckPageNumberFormat(parser.value(pageNumbers)); !format)
        usage = QCoreApplication::translate("Batch", "--page-numbers: \"%1\" %2")
                    .arg(parser.value(pageNumbers), format.reason());
    else if (parser.isSet(bookmarkTitles) &&
             !QStringList{QStringLiteral("short"), kBookmarkTitlesFileName, kBookmarkTitlesOwnTitle}
                  .contains(parser.value(bookmarkTitles)))
        usage = QCoreApplication::translate(
                    "Batch", "--bookmark-titles: %1 is not one of short, name, title")
                    .arg(parser.value(bookmarkTitles));
    else if (parser.isSet(output) && !CheckOutputFileName(parser.value(output)))
        usage = QCoreApplication::translate(
                    "Batch", "--output: \"%1\" is not a plain file name such as Handbook.pdf")
                    .arg(parser.value(output));
    options.quiet = parser.isSet(quiet);
    options.json = parser.isSet(json);
    options.watch = parser.isSet(watch);
    if (!usage.isEmpty())
        return refuse(usage);
    options.folder = folders.first();

    BatchJobs &jobs = options.jobs;
    jobs.remove = parser.isSet(remove);
    jobs.trash = parser.isSet(trash);
    jobs.convert = parser.isSet(convert);
    jobs.changedOnly = parser.isSet(changedOnly);
    jobs.compile = parser.isSet(compile);
    jobs.plan = parser.isSet(plan);
    const auto choice = [&](const QCommandLineOption &on, const QCommandLineOption &off) {
        return parser.isSet(on) || parser.isSet(off) ? std::optional<bool>(parser.isSet(on))
                                                     : std::nullopt;
    };
    jobs.blankSheets = choice(blank, noBlank);
    jobs.fitBlankSheets = choice(fit, noFit);
    jobs.keepBookmarks = choice(keep, noKeep);
    jobs.linearized = choice(linearize, noLinearize);
    if (parser.isSet(output))
        jobs.bookName = parser.value(output);
    if (parser.isSet(types))
        jobs.documentTypes = chosenTypes;
    jobs.indexPage = choice(index, noIndex);
    if (parser.isSet(pageNumbers) || parser.isSet(noPageNumbers))
        jobs.pageNumbers = parser.isSet(pageNumbers) ? parser.value(pageNumbers) : QString();
    if (parser.isSet(bookmarkTitles))
        jobs.bookmarkTitles = parser.value(bookmarkTitles) == QLatin1String("short")
                                  ? QString()
                                  : parser.value(bookmarkTitles);
    return options;
}

} // namespace qf
