#include "compile/CompileBook.h"

#include "book/PdfFile.h"
#include "compile/MakeBook.h"
#include "compile/VolumePlan.h"
#include "core/Workspace.h"
#include "store/WholeFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <optional>

namespace qf {
namespace {

// Scanned pages made searchable: the PDFs that have them are read from their recognised copies.
// False when the user stopped the run.
bool ReadRecognisedCopies(const CompileRequest &request, JobObserver &observer, QStringList &paths,
                          CompileResult &result)
{
    const RecognitionResult recognition = RecogniseScans(
        {request.workingFolder, request.names, request.ocrLanguages, request.ocrCache, 0},
        observer);
    result.problems.merge(recognition.problems);
    result.recognised = recognition.recognised;
    result.notices.append(recognition.notices);
    result.stopped = recognition.stopped;
    for (qsizetype i = 0; i < paths.size(); ++i)
        paths[i] = recognition.copies.value(request.names.at(i), paths.at(i));
    return !result.stopped;
}

} // namespace

QString NumberRoomText(const NumberRoomTaken &room)
{
    if (room.pages <= 0)
        return {};
    // At most: rounded up, never less than was taken.
    const int percent = std::max(1, int(std::ceil((1 - room.leastScale) * 100 - 1e-9)));
    return QCoreApplication::translate(
               "Book", "%n page(s) shrunk by at most %1% to keep their numbers clear", nullptr,
               room.pages)
        .arg(percent);
}

CompileResult CompileBook(const CompileRequest &request, JobObserver &observer, BookViewer &viewer)
{
    CompileResult result(request.blankSheets);
    if (request.names.isEmpty()) {
        result.problems.add(Status::Failed(
            QString(), QCoreApplication::translate(
                           "Book", "No PDF file is ticked, so there was nothing to compile.")));
        return result;
    }
    if (const Status plainName = CheckOutputFileName(request.bookName); !plainName) {
        result.problems.add(plainName);
        return result;
    }
    std::optional<VolumeLimit> limit;
    if (!request.volumeLimit.isEmpty()) {
        QString problem;
        limit = VolumeLimit::Parse(request.volumeLimit, &problem);
        if (!limit) {
            result.problems.add(Status::Failed(
                QString(), QCoreApplication::translate(
                               "Book", "The volume limit \"%1\" %2, so no book was written.")
                               .arg(request.volumeLimit, problem)));
            return result;
        }
    }
    const QString outputPath = BookPath(request.workingFolder, request.bookName);
    const Status prepared = PrepareOutput(
        request.workingFolder, JoinPath(request.workingFolder, kOutputFolderName), outputPath);
    // The book is made under a hidden name and takes the output path's place only once it is
    // complete, bookmarks and all.
    WholeFileWrite target;
    const Status begun =
        prepared && !limit ? target.Begin(outputPath, request.workingFolder) : prepared;
    if (!begun) {
        result.problems.add(begun);
        return result;
    }
    QStringList paths = SourcePaths(request);
    if (request.recogniseScans && !ReadRecognisedCopies(request, observer, paths, result))
        return result; // stopped
    if (!request.bookName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        result.notices.append(
            {QCoreApplication::translate("Book",
                                         "The book's name \"%1\" has no .pdf extension, so viewers "
                                         "and filing portals may not open it; name it "
                                         "\"%1.pdf\" to be sure.")
                 .arg(request.bookName),
             kProgramTitle, Notice::Icon::Warning});
        observer.Tell(result.notices.last());
    }
    observer.Doing(QCoreApplication::translate("Book", "Creating Output File..."));
    observer.At(request.bookName);
    if (limit) {
        CompileVolumes(request, paths, *limit, observer, result);
    } else if (WriteBook(request, paths, target, observer, result)) {
        if (const Status committed = target.Commit(); committed) {
            result.book = outputPath;
            RemoveStaleVolumes(request, {request.bookName});
        } else {
            result.problems.add(BookNotFinished(outputPath, committed.reason()));
        }
    }
    // A desktop without a PDF viewer says so only on standard error: the window says it too.
    if (!result.book.isEmpty() && !viewer.ShowBook(AbsolutePdfPath(result.book)))
        result.problems.add(Status::Failed(
            QString(),
            QCoreApplication::translate("Book", "No PDF viewer opened the book; it is at %1")
                .arg(AbsolutePdfPath(result.book))));
    return result;
}

QList<PlacedDocument> DocumentsInVolumes(const QList<BookVolume> &volumes)
{
    QList<PlacedDocument> documents;
    for (const BookVolume &volume : volumes)
        for (PlacedDocument doc : volume.layout.Documents()) {
            doc.startPage += doc.status ? volume.pagesBefore : 0;
            documents.append(doc);
        }
    return documents;
}

BookPlan PlanBook(const CompileRequest &request)
{
    // The book is made in memory as a compile makes it, and its size counted, not written.
    BookPlan plan;
    const QStringList paths = SourcePaths(request);
    const std::optional<VolumeLimit> limit = VolumeLimit::Parse(request.volumeLimit);
    if (!limit) {
        MeasureBook(request, paths, &plan);
        return plan;
    }
    MeasureVolumes(request, paths, *limit, plan);
    return plan;
}

} // namespace qf
