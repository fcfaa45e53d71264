#include "batch/BatchCommand.h"

#include "app/StartUp.h"
#include "batch/ConsoleWindow.h"
#include "compile/BookPlan.h"
#include "compile/CompileBook.h"
#include "compile/CompileRun.h"
#include "convert/ConversionRun.h"
#include "convert/ConvertDocs.h"
#include "listing/FolderListing.h"
#include "store/IgnoreList.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace qf {
namespace {

// Whether the PDF of a document would be made anew by a conversion.
QString PdfState(const QString &documentPath)
{
    const QFileInfo pdf(ConversionFilesFor(documentPath).pdf);
    if (!pdf.isFile())
        return QStringLiteral("PDF missing");
    if (pdf.lastModified() < QFileInfo(documentPath).lastModified())
        return QStringLiteral("PDF older than the document");
    return QStringLiteral("PDF up to date");
}

bool PrintPlan(Console &console, const Workspace &ws, ConsoleWindow &window)
{
    QTextStream &out = console.out();
    const QString book = BookPath(ws, window.text5.Text());
    const int option = window.check1.Value();
    out << "Book: " << book << "\nBlank sheets: " << (option == 1 ? "on" : "off") << "\n\n";
    const BookPlan plan = PlanBook(ws, window.list2.tickedTexts(), option);
    bool allReadable = true;
    out << QStringLiteral("%1  %2  %3  %4  %5\n")
               .arg(QStringLiteral("pages"), 5)
               .arg(QStringLiteral("starts on"), 9)
               .arg(QStringLiteral("blank after"), 11)
               .arg(QStringLiteral("bookmark"), -24)
               .arg(QStringLiteral("file"));
    for (const PlannedDocument &doc : plan.documents) {
        if (!doc.status) {
            out << QStringLiteral("%1  %2  %3  %4  %5: left out, %6\n")
                       .arg(QStringLiteral("-"), 5)
                       .arg(QStringLiteral("-"), 9)
                       .arg(QStringLiteral("-"), 11)
                       .arg(doc.title, -24)
                       .arg(doc.name, doc.status.reason());
            allReadable = false;
            continue;
        }
        out << QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(doc.pages, 5)
                   .arg(QStringLiteral("page %1").arg(doc.startPage + 1), 9)
                   .arg(doc.blankAfter ? QStringLiteral("yes") : QStringLiteral("no"), 11)
                   .arg(doc.title, -24)
                   .arg(doc.name);
    }
    out << QStringLiteral("\nTotal: %1 pages (%2 documents, %3 blank sheets)\n")
               .arg(plan.totalPages)
               .arg(plan.documents.size())
               .arg(plan.blankSheets);
    const QStringList documents = window.list1.tickedTexts();
    if (!documents.isEmpty())
        out << "\nDocuments to convert:\n";
    for (const QString &name : documents)
        out << "  " << name << ": " << PdfState(ws.PathOf(name)) << '\n';
    if (plan.documents.isEmpty())
        console.Error(QStringLiteral("No PDF file is ticked, so there is nothing to compile."));
    return allReadable && !plan.documents.isEmpty();
}

} // namespace

int RunBatchCommand(const QStringList &arguments, const WordProcessorStarter &wordProcessor)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs Quirefold's jobs on FOLDER without a window. The ticks are those the "
                       "window shows at start-up: every file except those named in the folder's "
                       "ignore lists. Several jobs run in the order remove, convert, compile."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The working folder."));
    const QCommandLineOption convert(QStringLiteral("convert"),
                                     QStringLiteral("Print the ticked documents to PDF."));
    const QCommandLineOption compile(
        QStringLiteral("compile"),
        QStringLiteral("Compile the ticked PDFs into the book in \"PDFCompile Output\"."));
    const QCommandLineOption remove(QStringLiteral("remove-converted"),
                                    QStringLiteral("Delete the PDFs that have a matching .doc."));
    const QCommandLineOption plan(QStringLiteral("plan"),
                                  QStringLiteral("Change nothing; print the book's map and which "
                                                 "documents lack an up-to-date PDF."));
    const QCommandLineOption blank(QStringLiteral("blank-sheets"),
                                   QStringLiteral("Add a blank sheet after a document that ends "
                                                  "on an odd page (stored for the folder)."));
    const QCommandLineOption noBlank(
        QStringLiteral("no-blank-sheets"),
        QStringLiteral("Add no blank sheets (stored for the folder)."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The book's file name (stored for the folder)."),
                                    QStringLiteral("NAME"));
    parser.addOptions({convert, compile, remove, plan, blank, noBlank, output});

    Console console(::isatty(STDERR_FILENO) == 1);
    if (!parser.parse(arguments)) {
        console.Error(parser.errorText() + QStringLiteral(" (see --help)"));
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
    QString usage;
    if (folders.size() != 1)
        usage = QStringLiteral("give exactly one FOLDER");
    else if (!anyJob && !parser.isSet(plan))
        usage = QStringLiteral(
            "nothing to do: give --convert, --compile, --remove-converted or --plan");
    else if (anyJob && parser.isSet(plan))
        usage = QStringLiteral("--plan changes nothing, so it cannot be given with a job");
    else if (parser.isSet(blank) && parser.isSet(noBlank))
        usage = QStringLiteral("give --blank-sheets or --no-blank-sheets, not both");
    if (!usage.isEmpty()) {
        console.Error(usage + QStringLiteral(" (see --help)"));
        return kBatchUsage;
    }
    const QFileInfo folderInfo(folders.first());
    if (!folderInfo.isDir() || !QDir(folders.first()).isReadable()) {
        console.Error(QStringLiteral("%1: %2").arg(
            folders.first(), folderInfo.exists()
                                 ? QStringLiteral("is not a folder that can be read")
                                 : QStringLiteral("no such folder")));
        return kBatchUsage;
    }

    Workspace ws = Workspace::FromArguments(folders);
    ConsoleWindow window(console);
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
        console.Error(
            QStringLiteral("the folder's ignore lists cannot be used, so nothing was done"));
        return kBatchSomethingFailed;
    }
    if (parser.isSet(blank) || parser.isSet(noBlank))
        window.check1.SetValue(parser.isSet(blank) ? 1 : 0);
    if (parser.isSet(output))
        window.text5.SetText(parser.value(output));

    if (parser.isSet(plan))
        return PrintPlan(console, ws, window) && startProblems.empty() ? kBatchDone
                                                                       : kBatchSomethingFailed;

    NoSound sound;
    NoBookViewer viewer;
    RunContext ctx{ws, window, sound, viewer, QCoreApplication::applicationDirPath()};
    QTextStream &out = console.out();
    if (parser.isSet(remove)) {
        window.SetJob(QStringLiteral("remove"), nullptr);
        const QStringList before = window.list2.texts();
        RemoveConvertedPdfs(ws, window);
        for (const QString &name : before)
            if (!QFileInfo::exists(ws.PathOf(name)))
                out << "Deleted: " << ws.PathOf(name) << '\n';
        // The next job sees the ticks the window shows at start-up.
        LoadIgnoreList(ws.PdfIgnorePath(), window.list2);
    }
    if (parser.isSet(convert)) {
        window.SetJob(QStringLiteral("convert"), &window.progressBar1);
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        const QStringList documents = window.list1.tickedTexts();
        ConversionRun(ctx, wordProcessor);
        window.SetJob(QString(), nullptr);
        for (const QString &name : documents) {
            const QFileInfo pdf(ConversionFilesFor(ws.PathOf(name)).pdf);
            if (pdf.isFile() && pdf.lastModified() >= start)
                out << "Converted: " << ws.PathOf(name) << " -> " << pdf.filePath() << '\n';
        }
    }
    if (parser.isSet(compile)) {
        window.SetJob(QStringLiteral("compile"), &window.progressBar2);
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        CompileRun(ctx);
        window.SetJob(QString(), nullptr);
        const QFileInfo book(BookPath(ws, ws.OutputFileName));
        if (book.isFile() && book.lastModified() >= start)
            out << "Book: " << book.filePath() << '\n';
    }
    out.flush();
    return window.messagesShown() == 0 && startProblems.empty() ? kBatchDone
                                                                : kBatchSomethingFailed;
}

} // namespace qf
