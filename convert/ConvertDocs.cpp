#include "convert/ConvertDocs.h"

#include "convert/PrintFileConverter.h"
#include "listing/FolderListing.h"
#include "store/IgnoreList.h"
#include "store/WholeFile.h"

#include <QFile>
#include <QFileInfo>

#include <thread>

namespace qf {
namespace {

QString CommaWarning(const QString &path)
{
    return QStringLiteral("The filename ") + path +
           QStringLiteral(" is invalid!\n\nPlease be sure that the filename does not contain "
                          "COMMAS.\n\nTHIS FILE WILL BE SKIPPED.");
}

Status DeleteFile(const QString &path)
{
    QFile file(path);
    if (!file.remove())
        return Status::Failed(path,
                              QStringLiteral("could not be deleted (%1)").arg(file.errorString()));
    return Status::Ok();
}

// One document, from opening it to deleting its print and log files.
Status ConvertOne(RunContext &ctx, WordProcessor &word, const ConversionFiles &files)
{
    // Scratch names belong to this process: whatever stands there is a leftover, or a link laid as
    // a trap, and goes (a link itself, never what it points to).
    if (const Status made = MakeScratchFolder(QFileInfo(files.printFile).path()); !made)
        return made;
    QFile::remove(files.printFile);
    QFile::remove(files.log);
    word.SetVisible(false);
    Status status = word.OpenDocument(files.document);
    if (!status)
        return status;
    status = word.SetActivePrinter(kPdfPrinterName);
    if (status)
        status = word.PrintOut(true, files.printFile);
    if (!status) {
        word.CloseDocuments();
        QFile::remove(files.printFile);
        return status;
    }
    while (word.BackgroundPrintingStatus() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        ctx.window.KeepResponsive();
    }
    ctx.window.Text1().Show(QStringLiteral("Converting Postscript to PDF..."));
    const Status converted =
        FileToPDF(files.printFile, files.pdf, QString(), [&ctx] { ctx.window.KeepResponsive(); });
    const Status closed = word.CloseDocuments();
    const Status printFileGone = DeleteFile(files.printFile);
    const Status logGone = DeleteFile(files.log);
    RefillList(ctx.ws.WorkingFolder, ctx.window.List2(), ctx.window.Text4(), FileKind::Pdf);
    for (const Status &s : {converted, closed, printFileGone, logGone})
        if (!s) // the print file is a hidden scratch file: the document is what the user knows
            return s.file() == files.printFile ? Status::Failed(files.document, s.reason()) : s;
    return Status::Ok();
}

} // namespace

ConversionFiles ConversionFilesFor(const QString &documentPath)
{
    const QString base = documentPath.left(documentPath.size() - 4);
    const qsizetype slash = base.lastIndexOf(QLatin1Char('/'));
    // The office writes the print file through temporary files of its own beside it.
    const QString printFile = ScratchFolderIn(slash < 0 ? QStringLiteral(".") : base.left(slash)) +
                              QLatin1Char('/') + base.mid(slash + 1) + QStringLiteral(".PS");
    ConversionFiles files{documentPath, printFile,
                          ResolveIgnoringCase(base + QStringLiteral(".PDF")), QString()};
    files.log = LogPathFor(files.pdf);
    return files;
}

Problems ConvertDocsToPdf(RunContext &ctx, const QStringList &names, WordProcessor &word)
{
    Problems problems;
    MainWindow &w = ctx.window;
    const QString savedPrinter = word.ActivePrinter();
    w.Text1().Show(QStringLiteral("Creating PDF File..."));
    w.Text2().Show(ctx.ws.OutputFileName);
    w.ProgressBar1().SetValue(0);

    const int count = int(names.size());
    for (int k = 1; k <= count; ++k) {
        w.ProgressBar1().SetMin(0);
        w.ProgressBar1().SetMax(count);
        w.List1().SetListIndex(k - 1);
        if (w.List1().Selected(k - 1)) {
            w.Text1().Show(QStringLiteral("Printing to Postscript File..."));
            w.Text2().Show(names.at(k - 1));
            const QString path = ctx.ws.PathOf(names.at(k - 1));
            if (path.contains(QLatin1Char(','))) {
                w.Messages().Show(CommaWarning(path), QStringLiteral("*** Warning ***"),
                                  MessageBox::Icon::Critical);
                continue;
            }
            problems.add(ConvertOne(ctx, word, ConversionFilesFor(path)));
        }
        w.ProgressBar1().SetValue(k);
    }

    if (FileExists(ctx.ws.PdfIgnorePath()))
        LoadIgnoreList(ctx.ws.PdfIgnorePath(), w.List2());
    word.SetActivePrinter(savedPrinter);
    problems.add(word.Quit());
    RemoveScratchFolder(ScratchFolderIn(ctx.ws.WorkingFolder));
    return problems;
}

} // namespace qf
