#include "batch/BatchCommand.h"

#include "batch/BatchOptions.h"
#include "batch/BatchRun.h"
#include "batch/Console.h"
#include "batch/FolderWatch.h"
#include "batch/StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace qf {
namespace {

// A change to this file may change what the jobs do: a document of the run's kinds or a PDF.
// Hidden files are the program's own scratch files and the office's locks.
bool ChangeCounts(const QString &name, const QStringList &documentTypes)
{
    if (name.startsWith(QLatin1Char('.')))
        return false;
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("pdf") || documentTypes.contains(suffix, Qt::CaseInsensitive);
}

QSet<QString> FileNamesMadeBy(const BatchReport &report)
{
    QSet<QString> names;
    for (const ConvertedDocument &doc : report.converted)
        names.insert(QFileInfo(doc.pdf).fileName());
    return names;
}

} // namespace

int RunBatchCommand(const QStringList &arguments, const WordProcessorStarter &wordProcessor)
{
    Console console(::isatty(STDERR_FILENO) == 1);
    const BatchOptions options = ParseBatchOptions(arguments);
    console.SetQuiet(options.quiet);
    const auto usageError = [&](const QString &reason) {
        console.Error(reason + QCoreApplication::translate("Batch", " (see --help)"));
        if (options.json) {
            BatchReport report;
            report.AddError({}, reason);
            report.exitStatus = kBatchUsage;
            console.WriteReport(ReportAsJson(report, options.watch));
        }
        return kBatchUsage;
    };
    switch (options.outcome) {
    case BatchOptions::Outcome::Help:
    case BatchOptions::Outcome::Version:
        console.out() << options.text;
        return kBatchDone;
    case BatchOptions::Outcome::Usage:
        return usageError(options.text);
    case BatchOptions::Outcome::Run:
        break;
    }
    const QString &folder = options.folder;
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !QDir(folder).isReadable())
        return usageError(QStringLiteral("%1: %2").arg(
            folder, folderInfo.exists()
                        ? QCoreApplication::translate("Batch", "is not a folder that can be read")
                        : QCoreApplication::translate("Batch", "no such folder")));

    if (options.json)
        console.KeepOutputForReport();
    const auto run = [&] {
        const BatchReport report = RunBatchJobs(folder, options.jobs, wordProcessor, console);
        if (options.json)
            console.WriteReport(ReportAsJson(report, options.watch));
        return report;
    };
    if (!options.watch) {
        const int status = run().exitStatus;
        EndAsSignalled();
        return status;
    }

    QStringList documentTypes;
    FolderWatch changes(folder, [&documentTypes](const QString &name) {
        return ChangeCounts(name, documentTypes);
    });
    if (!changes.status()) {
        console.Error(changes.status().message());
        return kBatchSomethingFailed;
    }
    BatchReport last = run();
    for (;;) {
        documentTypes = last.documentTypes;
        if (ConsoleObserver::Stopped())
            break;
        changes.TakeTold(FileNamesMadeBy(last));
        console.Note(QCoreApplication::translate(
                         "Batch", "Watching %1 for changes to its documents and PDFs.")
                         .arg(folder));
        const FolderWatch::Outcome outcome =
            changes.Wait(std::chrono::seconds(1), StopWakeDescriptor());
        if (outcome == FolderWatch::Outcome::Stopped) {
            console.Note(QCoreApplication::translate("Batch", "Stopped watching %1.").arg(folder));
            break;
        }
        if (outcome == FolderWatch::Outcome::FolderGone) {
            console.Error(QCoreApplication::translate(
                              "Batch", "%1: the folder was moved or deleted, so it is no "
                                       "longer watched")
                              .arg(folder));
            return kBatchSomethingFailed;
        }
        last = run();
    }
    EndAsSignalled();
    return last.exitStatus;
}

} // namespace qf
