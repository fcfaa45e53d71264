#include "batch/BatchOptions.h"

#include "compile/CompileBook.h"
#include "compile/Volumes.h"
#include "core/DocumentTypes.h"
#include "store/FolderChoices.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

namespace qf {
namespace {

struct OptionEntry {
    std::initializer_list<const char *> names;
    const char *description; // translated in the context "Batch"
    const char *valueName;   // nullptr for a switch
};

// Every option, in the order the help lists them.
const OptionEntry kOptions[] = {
    {{"convert"}, QT_TRANSLATE_NOOP("Batch", "Print the ticked documents to PDF."), nullptr},
    {{"changed-only"},
     QT_TRANSLATE_NOOP(
         "Batch",
         "With --convert: only the documents whose PDF is missing or older than the document."),
     nullptr},
    {{"compile"},
     QT_TRANSLATE_NOOP("Batch", "Compile the ticked PDFs into the book in \"PDFCompile Output\"."),
     nullptr},
    {{"remove-converted"},
     QT_TRANSLATE_NOOP("Batch", "Delete the PDFs that have a matching document."),
     nullptr},
    {{"trash"},
     QT_TRANSLATE_NOOP(
         "Batch", "With --remove-converted: move the PDFs to the trash instead of deleting them."),
     nullptr},
    {{"plan"},
     QT_TRANSLATE_NOOP(
         "Batch",
         "Change nothing; print the book's map and which documents lack an up-to-date PDF."),
     nullptr},
    {{"check-filing"},
     QT_TRANSLATE_NOOP("Batch", "Change nothing; list what a filing portal usually refuses in "
                                "the book: page sizes, fonts not embedded, forms, scripts, "
                                "attached files, encryption, pages without text, size. Exits 1 "
                                "when something is found."),
     nullptr},
    {{"blank-sheets"},
     QT_TRANSLATE_NOOP(
         "Batch",
         "Add a blank sheet after a document that ends on an odd page (stored for the folder)."),
     nullptr},
    {{"no-blank-sheets"},
     QT_TRANSLATE_NOOP("Batch", "Add no blank sheets (stored for the folder)."),
     nullptr},
    {{"fit-blank-sheets"},
     QT_TRANSLATE_NOOP("Batch", "Make each blank sheet the size and orientation of the page before "
                                "it (stored for the folder)."),
     nullptr},
    {{"no-fit-blank-sheets"},
     QT_TRANSLATE_NOOP("Batch",
                       "Make every blank sheet A4, as empty_page.pdf is (stored for the folder)."),
     nullptr},
    {{"keep-bookmarks"},
     QT_TRANSLATE_NOOP(
         "Batch",
         "Put each PDF's own bookmarks under its bookmark in the book (stored for the folder)."),
     nullptr},
    {{"no-keep-bookmarks"},
     QT_TRANSLATE_NOOP("Batch", "One bookmark per PDF, its own left out (stored for the folder)."),
     nullptr},
    {{"linearize"},
     QT_TRANSLATE_NOOP("Batch",
                       "Write the book for fast web view, linearized (stored for the folder)."),
     nullptr},
    {{"no-linearize"},
     QT_TRANSLATE_NOOP("Batch", "Write the book without linearizing it (stored for the folder)."),
     nullptr},
    {{"ocr"},
     QT_TRANSLATE_NOOP("Batch",
                       "Make scanned pages searchable in the book with OCRmyPDF; the PDFs stay as "
                       "they are (stored for the folder)."),
     nullptr},
    {{"no-ocr"},
     QT_TRANSLATE_NOOP("Batch", "Take scanned pages as they are (stored for the folder)."),
     nullptr},
    {{"index-page"},
     QT_TRANSLATE_NOOP("Batch",
                       "Put an index in front of the book: its title, then each document with the "
                       "number of its first page, each line a link (stored for the folder)."),
     nullptr},
    {{"no-index-page"},
     QT_TRANSLATE_NOOP("Batch", "Put no index in front of the book (stored for the folder)."),
     nullptr},
    {{"page-numbers"},
     QT_TRANSLATE_NOOP("Batch",
                       "Stamp every page's number at its bottom right, as FORMAT says: {n} the "
                       "number, {n:6} the number zero-padded to six digits, {total} the count of "
                       "pages, e.g. \"Page {n} of {total}\" or \"ABC{n:6}\". The book's page "
                       "labels and bookmarks say the same numbers (stored for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "FORMAT")},
    {{"volume-limit"},
     QT_TRANSLATE_NOOP("Batch",
                       "Cut the book into volumes of at most LIMIT, \"300 pages\" or \"20 MB\", "
                       "between documents, named \"NAME (Volume 1 of 3).pdf\" (stored for the "
                       "folder)."),
     QT_TRANSLATE_NOOP("Batch", "LIMIT")},
    {{"page-size"},
     QT_TRANSLATE_NOOP("Batch",
                       "Pages of one size: a4 or letter scales every page of another size to fit "
                       "it, proportions kept, centred, a landscape page on its landscape form; "
                       "as-is keeps each page's own size, the default (stored for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "SIZE")},
    {{"for-filing"},
     QT_TRANSLATE_NOOP("Batch",
                       "Make the book as a filing portal takes it: form fields flattened into "
                       "their pages, scripts and attached files removed, no password or "
                       "restrictions, its title shown; each change is named (stored for the "
                       "folder)."),
     nullptr},
    {{"no-for-filing"},
     QT_TRANSLATE_NOOP("Batch", "Make the book with its forms, scripts and attached files, as "
                                "its PDFs have them (stored for the folder)."),
     nullptr},
    {{"no-volumes"},
     QT_TRANSLATE_NOOP("Batch", "Make one book, not volumes (stored for the folder)."),
     nullptr},
    {{"no-page-numbers"},
     QT_TRANSLATE_NOOP("Batch", "Stamp no page numbers (stored for the folder)."),
     nullptr},
    {{"list-order"},
     QT_TRANSLATE_NOOP("Batch", "The order of the lists, and so of the book: alphabetical (the "
                                "default), or natural, with numbers by their value, 2 before 10 "
                                "(stored for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "ORDER")},
    {{"book-title"},
     QT_TRANSLATE_NOOP("Batch", "The book's title, at the head of its index and in its document "
                                "properties; empty for the folder's name, the default (stored "
                                "for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "TITLE")},
    {{"bookmark-titles"},
     QT_TRANSLATE_NOOP("Batch",
                       "What each document's bookmark says: short, its file name cut before the "
                       "first dot (the default); name, its file name without the extension; title, "
                       "the PDF's own title where it has one (stored for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "KIND")},
    {{"password-file"},
     QT_TRANSLATE_NOOP("Batch", "Open the PDFs that need a password with those in FILE, one line "
                                "each: the PDF's file name as listed, a tab, its password. They "
                                "are used for this run only and never stored; a PDF whose "
                                "password is missing or wrong is left out and named."),
     QT_TRANSLATE_NOOP("Batch", "FILE")},
    {{"document-types"},
     QT_TRANSLATE_NOOP("Batch", "The kinds of document to list and convert, from doc, docx, docm, "
                                "odt and rtf, e.g. doc,docx (stored for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "TYPES")},
    {{"o", "output"},
     QT_TRANSLATE_NOOP("Batch", "The book's file name (stored for the folder)."),
     QT_TRANSLATE_NOOP("Batch", "NAME")},
    {{"q", "quiet"},
     QT_TRANSLATE_NOOP("Batch",
                       "Say no progress and no notes on standard error; problems are still said."),
     nullptr},
    {{"json"},
     QT_TRANSLATE_NOOP("Batch",
                       "Print one JSON document on standard output, and nothing else: the book, "
                       "its documents, the converted and deleted files and the problems (see the "
                       "manual page). Results for people go to standard error."),
     nullptr},
    {{"watch"},
     QT_TRANSLATE_NOOP("Batch", "With --compile and/or --convert --changed-only: run once, then "
                                "again whenever the folder's documents or PDFs change, until "
                                "SIGINT or SIGTERM. With --json, one line of JSON per run."),
     nullptr},
};

QString Tr(const char *text)
{
    return QCoreApplication::translate("Batch", text);
}

// What is wrong with the command line, or nothing; every value is checked here.
// What --help says after the options: how the command is used, and what its exit status means.
QString HelpEpilogue()
{
    return QCoreApplication::translate(
               "Batch",
               "\nExamples:\n"
               "  Print the ticked documents to PDF, then compile the book without blank sheets:\n"
               "    quirefold-batch --convert --compile --no-blank-sheets -o \"Handbook.pdf\" "
               "~/Handbook\n"
               "  Keep a folder's book up to date, one line of JSON per run:\n"
               "    quirefold-batch --convert --changed-only --compile --watch --json -q "
               "~/Handover\n"
               "  Say how the book would fall out, making nothing:\n"
               "    quirefold-batch --plan ~/Handbook\n"
               "  Say what a court's filing portal would refuse in the book:\n"
               "    quirefold-batch --check-filing ~/Claim\n") +
           QCoreApplication::translate(
               "Batch", "\nExit status:\n"
                        "  0  everything asked for was done\n"
                        "  1  some documents or PDFs failed; each is named with its reason (with "
                        "--check-filing: something was found)\n"
                        "  2  a usage error, or a folder that cannot be read\n"
                        "  130, 143  stopped by SIGINT or SIGTERM (how --watch ends): the run was "
                        "stopped first, and the program ended by that signal\n");
}

QString UsageProblem(const QCommandLineParser &parser, qsizetype folders,
                     const QStringList &unknownTypes)
{
    const auto set = [&](const char *name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char *name) { return parser.value(QLatin1String(name)); };
    const bool anyJob = set("convert") || set("compile") || set("remove-converted");
    if (folders != 1)
        return QCoreApplication::translate("Batch", "give exactly one FOLDER");
    if (!anyJob && !set("plan") && !set("check-filing"))
        return QCoreApplication::translate(
            "Batch", "nothing to do: give --convert, --compile, --remove-converted, --plan or "
                     "--check-filing");
    if (anyJob && set("plan"))
        return QCoreApplication::translate(
            "Batch", "--plan changes nothing, so it cannot be given with a job");
    if ((anyJob || set("plan")) && set("check-filing"))
        return QCoreApplication::translate("Batch",
                                           "--check-filing changes nothing, so it goes alone");
    if (set("blank-sheets") && set("no-blank-sheets"))
        return QCoreApplication::translate("Batch",
                                           "give --blank-sheets or --no-blank-sheets, not both");
    if (set("fit-blank-sheets") && set("no-fit-blank-sheets"))
        return QCoreApplication::translate(
            "Batch", "give --fit-blank-sheets or --no-fit-blank-sheets, not both");
    if (set("trash") && !set("remove-converted"))
        return QCoreApplication::translate("Batch", "--trash goes with --remove-converted");
    if (set("changed-only") && !set("convert"))
        return QCoreApplication::translate("Batch", "--changed-only goes with --convert");
    if (!unknownTypes.isEmpty())
        return QCoreApplication::translate(
                   "Batch", "--document-types: %1 is not one of doc, docx, docm, odt, rtf")
            .arg(unknownTypes.first());
    if (set("keep-bookmarks") && set("no-keep-bookmarks"))
        return QCoreApplication::translate(
            "Batch", "give --keep-bookmarks or --no-keep-bookmarks, not both");
    if (set("watch") && (set("plan") || set("check-filing") || set("remove-converted") ||
                         (set("convert") && !set("changed-only"))))
        return QCoreApplication::translate(
            "Batch", "--watch goes with --compile and --convert --changed-only only");
    if (set("ocr") && set("no-ocr"))
        return QCoreApplication::translate("Batch", "give --ocr or --no-ocr, not both");
    if (set("index-page") && set("no-index-page"))
        return QCoreApplication::translate("Batch",
                                           "give --index-page or --no-index-page, not both");
    if (set("volume-limit") && set("no-volumes"))
        return QCoreApplication::translate("Batch",
                                           "give --volume-limit or --no-volumes, not both");
    if (QString problem;
        set("volume-limit") && !VolumeLimit::Parse(value("volume-limit"), &problem))
        return QCoreApplication::translate("Batch", "--volume-limit: \"%1\" %2")
            .arg(value("volume-limit"), problem);
    if (set("page-numbers") && set("no-page-numbers"))
        return QCoreApplication::translate("Batch",
                                           "give --page-numbers or --no-page-numbers, not both");
    if (const Status format = CheckPageNumberFormat(value("page-numbers")); !format)
        return QCoreApplication::translate("Batch", "--page-numbers: \"%1\" %2")
            .arg(value("page-numbers"), format.reason());
    if (set("bookmark-titles") &&
        !QStringList{QStringLiteral("short"), kBookmarkTitlesFileName, kBookmarkTitlesOwnTitle}
             .contains(value("bookmark-titles")))
        return QCoreApplication::translate("Batch",
                                           "--bookmark-titles: %1 is not one of short, name, title")
            .arg(value("bookmark-titles"));
    if (set("page-size") &&
        !QStringList{QStringLiteral("a4"), QStringLiteral("letter"), QStringLiteral("as-is")}
             .contains(value("page-size").toLower()))
        return QCoreApplication::translate("Batch",
                                           "--page-size: %1 is not one of a4, letter, as-is")
            .arg(value("page-size"));
    if (set("list-order") &&
        !QStringList{QStringLiteral("alphabetical"), kNaturalOrder}.contains(value("list-order")))
        return QCoreApplication::translate("Batch",
                                           "--list-order: %1 is not one of alphabetical, natural")
            .arg(value("list-order"));
    if (set("output") && !CheckOutputFileName(value("output")))
        return QCoreApplication::translate(
                   "Batch", "--output: \"%1\" is not a plain file name such as Handbook.pdf")
            .arg(value("output"));
    return QString();
}

// The passwords of a password file by the PDFs' names, or what is wrong with the file.
QString ReadPasswordFile(const QString &path, std::map<QString, QString> &passwords)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("Batch", "--password-file: %1 cannot be read (%2)")
            .arg(path, file.errorString());
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines.at(i));
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0 || tab == line.size() - 1)
            return QCoreApplication::translate("Batch",
                                               "--password-file: %1, line %2: not a PDF's file "
                                               "name, a tab and its password")
                .arg(path)
                .arg(i + 1);
        passwords[line.left(tab)] = line.mid(tab + 1);
    }
    return QString();
}

// The jobs and the choices to store for the folder, from a command line found right.
BatchJobs TakeJobs(const QCommandLineParser &parser, const QStringList &chosenTypes)
{
    const auto set = [&](const char *name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char *name) { return parser.value(QLatin1String(name)); };
    BatchJobs jobs;
    jobs.remove = set("remove-converted");
    jobs.trash = set("trash");
    jobs.convert = set("convert");
    jobs.changedOnly = set("changed-only");
    jobs.compile = set("compile");
    jobs.plan = set("plan");
    jobs.checkFiling = set("check-filing");
    const auto choice = [&](const char *on, const char *off) {
        return set(on) || set(off) ? std::optional<bool>(set(on)) : std::nullopt;
    };
    jobs.blankSheets = choice("blank-sheets", "no-blank-sheets");
    jobs.fitBlankSheets = choice("fit-blank-sheets", "no-fit-blank-sheets");
    jobs.keepBookmarks = choice("keep-bookmarks", "no-keep-bookmarks");
    jobs.linearized = choice("linearize", "no-linearize");
    jobs.ocr = choice("ocr", "no-ocr");
    jobs.forFiling = choice("for-filing", "no-for-filing");
    if (set("output"))
        jobs.bookName = value("output");
    if (set("document-types"))
        jobs.documentTypes = chosenTypes;
    jobs.indexPage = choice("index-page", "no-index-page");
    if (set("volume-limit") || set("no-volumes"))
        jobs.volumeLimit =
            set("volume-limit") ? VolumeLimit::Parse(value("volume-limit"))->Text() : QString();
    if (set("page-numbers") || set("no-page-numbers"))
        jobs.pageNumbers = set("page-numbers") ? value("page-numbers") : QString();
    if (set("page-size"))
        jobs.pageSize =
            PageFit::Named(value("page-size"))
                ? (value("page-size").toLower() == QLatin1String("a4") ? kPageSizeA4
                                                                       : kPageSizeLetter)
                : QString();
    if (set("list-order"))
        jobs.naturalOrder = value("list-order") == QLatin1String("natural");
    if (set("book-title"))
        jobs.bookTitle = value("book-title").trimmed();
    if (set("bookmark-titles"))
        jobs.bookmarkTitles = value("bookmark-titles") == QLatin1String("short")
                                  ? QString()
                                  : value("bookmark-titles");
    return jobs;
}

} // namespace

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
    for (const OptionEntry &option : kOptions) {
        QStringList names;
        for (const char *name : option.names)
            names.append(QLatin1String(name));
        parser.addOption(option.valueName ? QCommandLineOption(names, Tr(option.description),
                                                               Tr(option.valueName))
                                          : QCommandLineOption(names, Tr(option.description)));
    }

    const auto refuse = [&](const QString &reason) {
        options.outcome = BatchOptions::Outcome::Usage;
        options.text = reason;
        return options;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        options.outcome = BatchOptions::Outcome::Help;
        options.text = parser.helpText() + HelpEpilogue();
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.outcome = BatchOptions::Outcome::Version;
        options.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                       QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return options;
    }
    const QStringList folders = parser.positionalArguments();
    QStringList unknownTypes;
    const QStringList chosenTypes =
        ParseDocumentTypes(parser.value(QStringLiteral("document-types")), &unknownTypes);
    const QString usage = UsageProblem(parser, folders.size(), unknownTypes);
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    options.json = parser.isSet(QStringLiteral("json"));
    options.watch = parser.isSet(QStringLiteral("watch"));
    if (!usage.isEmpty())
        return refuse(usage);
    options.folder = folders.first();
    options.jobs = TakeJobs(parser, chosenTypes);
    if (parser.isSet(QStringLiteral("password-file")))
        if (const QString problem = ReadPasswordFile(parser.value(QStringLiteral("password-file")),
                                                     options.jobs.passwords);
            !problem.isEmpty())
            return refuse(problem);
    return options;
}

} // namespace qf
