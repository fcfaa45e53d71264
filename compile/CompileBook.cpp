#include "compile/CompileBook.h"

#include "book/DocumentLevel.h"
#include "book/Linearize.h"
#include "book/Outline.h"
#include "book/PdfFile.h"
#include "book/PdfWrite.h"
#include "book/SharedStreams.h"
#include "bundle/IndexPages.h"
#include "bundle/PageNumberFormat.h"
#include "bundle/PageNumbers.h"
#include "compile/BookBundle.h"
#include "compile/OwnBookmarks.h"
#include "compile/SourceReader.h"
#include "compile/Volumes.h"
#include "core/Workspace.h"
#include "store/FolderBoundary.h"
#include "store/WholeFile.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <unistd.h>

namespace qf {
namespace {

// Makes the output folder, unless it is a link that leads out of the working folder. An old book of
// the output path's name is not deleted here: the complete new one replaces it at the end, so a
// run that makes no book, or is killed, loses none.
Status PrepareOutput(const QString &workingFolder, const QString &folder, const QString &outputPath)
{
    if (const Status inside = CheckInsideFolder(workingFolder, folder); !inside)
        return inside;
    QDir().mkdir(folder); // an existing folder is reused
    if (!QFileInfo(folder).isDir())
        return Status::Failed(
            folder, QCoreApplication::translate("Book", "the output folder could not be made"));
    if (QFileInfo(outputPath).isDir())
        return Status::Failed(outputPath, QCoreApplication::translate(
                                              "Book", "is a folder, so no book can be written "
                                                      "under that name"));
    RemoveLeftoverTemporaries(folder);
    return Status::Ok();
}

// A source that qpdf had to repair while reading: what it found, past its general complaint.
QString RepairDetail(PdfFile &file)
{
    const Repairs repairs = RepairsOf(file);
    return repairs.lossy.isEmpty() ? repairs.lossless : repairs.lossy;
}

// Inputs that went into the book damaged, each named once, in list order, by the path the run
// knows it by.
class DamageReport {
public:
    void Add(const QString &path, const QString &reason)
    {
        for (Status &named : list_)
            if (named.file() == path) {
                named = Status::Failed(
                    path,
                    QCoreApplication::translate("Book", "%1; it %2").arg(named.reason(), reason));
                return;
            }
        list_.append(Status::Failed(path, reason));
    }
    // What the book's writer found, named by the absolute paths of the inputs.
    void AddWritten(const Problems &written, const QStringList &paths)
    {
        for (const Status &damaged : written.list()) {
            QString shown = damaged.file();
            for (const QString &path : paths)
                if (AbsolutePdfPath(path) == damaged.file())
                    shown = path;
            Add(shown, damaged.reason());
        }
    }
    void MoveTo(Problems &problems)
    {
        for (const Status &status : list_)
            problems.add(status);
        list_.clear();
    }

private:
    QList<Status> list_;
};

} // namespace

QString BookPath(const QString &workingFolder, const QString &name)
{
    return JoinPath(JoinPath(workingFolder, kOutputFolderName), name);
}

Status CheckOutputFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return Status::Failed(
            QString(), QCoreApplication::translate(
                           "Book", "The book's name \"%1\" is not a plain file name, so no book "
                                   "was written. Type a name such as CompiledPDFDocument.pdf "
                                   "in \"Compiled PDF File Name:\" and compile again.")
                           .arg(name));
    return Status::Ok();
}

QString BookTitle(const QString &bookName)
{
    return bookName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? bookName.chopped(4)
                                                                         : bookName;
}

QString BookTitleOf(const CompileRequest &request)
{
    if (!request.title.isEmpty())
        return request.title;
    const QString folder = QFileInfo(QDir::cleanPath(request.workingFolder)).fileName();
    return folder.isEmpty() ? BookTitle(request.bookName) : folder;
}

void TakeBookChoices(CompileRequest &request, const BookChoices &choices)
{
    request.title = choices.bookTitle;
    request.fitBlankSheets = choices.fitBlankSheets;
    request.keepBookmarks = choices.keepBookmarks;
    request.compact = choices.compactBook;
    request.linearized = choices.linearized;
    request.bookmarkTitles =
        choices.bookmarkTitles == kBookmarkTitlesFileName   ? BookmarkTitles::FileName
        : choices.bookmarkTitles == kBookmarkTitlesOwnTitle ? BookmarkTitles::Title
                                                            : BookmarkTitles::FirstDot;
    request.indexPage = choices.indexPage;
    request.pageNumbers = choices.pageNumbers;
    request.recogniseScans = choices.ocr;
    request.ocrLanguages = choices.ocrLanguages;
    request.volumeLimit = choices.volumeLimit;
}

Status CheckPageNumberFormat(const QString &format)
{
    QString problem;
    if (!format.isEmpty() && !PageNumberFormat::Parse(format, &problem))
        return Status::Failed(QString(), problem);
    return Status::Ok();
}

namespace {

// Counts the pages of a source as it was read; a damaged file whose pages are all lost is not an
// empty one.
Status CountPages(PdfFile *source, Status read, const QString &path, int &pages)
{
    pages = read ? PageCount(*source) : 0;
    if (read && pages < 1)
        read = Status::Failed(
            path, source->pdf.anyWarnings()
                      ? QCoreApplication::translate("Book", "is damaged (%1), and no page of it "
                                                            "could be read")
                            .arg(RepairDetail(*source))
                      : QCoreApplication::translate("Book", "has no pages"));
    return read;
}

// The book says what it is: its title, its creator Quirefold, and it opens with its bookmarks
// shown.
void NameTheBook(PdfFile &book, const QString &title)
{
    QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString("Quirefold"));
    book.pdf.getTrailer().replaceKey("/Info", book.pdf.makeIndirectObject(info));
    book.pdf.getRoot().replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// The title a PDF gives itself in its document information, if any.
QString OwnTitle(QPDF &pdf)
{
    QPDFObjectHandle title = ValueOf(pdf.getTrailer().getKey("/Info"), "/Title");
    return title.isString() ? QString::fromStdString(title.getUTF8Value()) : QString();
}

// Gives the book's page at index the size, crop and orientation of the page before it.
void FitToPageBefore(PdfFile &book, int index)
{
    const std::vector<QPDFObjectHandle> &pages = book.pdf.getAllPages();
    QPDFObjectHandle sheet = pages.at(size_t(index));
    QPDFPageObjectHelper before(pages.at(size_t(index - 1)));
    // Only what a page can take is copied: a damaged page's box may be anything.
    if (QPDFObjectHandle media = before.getAttribute("/MediaBox", false); media.isRectangle())
        sheet.replaceKey("/MediaBox", media.shallowCopy());
    QPDFObjectHandle crop = before.getAttribute("/CropBox", false);
    if (crop.isRectangle())
        sheet.replaceKey("/CropBox", crop.shallowCopy());
    else
        sheet.removeKey("/CropBox");
    QPDFObjectHandle rotate = before.getAttribute("/Rotate", false);
    if (rotate.isInteger())
        sheet.replaceKey("/Rotate", QPDFObjectHandle::newInteger(rotate.getIntValue()));
    else
        sheet.removeKey("/Rotate");
}

// What assembling the pages gathers besides the book.
struct Assembly {
    explicit Assembly(const CompileRequest &request)
        : bundle(request), change(bundle.Stamps() ? StampChange() : PageChange())
    {
        documentLevel.SetOtherVolumes(request.place.others);
    }

    BookBundle bundle; // the index and page numbers the folder chose
    DamageReport damage;
    QList<QList<OwnBookmark>> ownBookmarks; // one list per document that went in
    DocumentLevel documentLevel;
    BookWriter *writer = nullptr;      // the book written as it is made
    int firstFree = 0;                 // the first number no source's piece took
    PendingObjects carried;            // the pieces' objects that wait for an object stream
    std::map<std::string, int> shared; // the book's own objects the pieces refer to
    PageChange change;                 // what the pieces' pages need for the bundle's stamps
    SharedStreams pieceShared;         // what the pieces kept once
};

// Puts a source's pages into the book: its piece's pages, written already.
void PutPages(PdfFile &book, PdfFile &source, const SourcePiece &piece, Assembly &assembly)
{
    book.version.updateIfGreater(source.version); // before the header is written
    assembly.writer->Add(piece);                  // a failed write is said when it is finished
    if (!piece.undecodable.isEmpty())
        NameUndecodable(book, source.path, piece.undecodable);
    assembly.pieceShared.streams += piece.shared.streams;
    assembly.pieceShared.bytes += piece.shared.bytes;
}

// Puts the sources' pages into the book in order, as the layout places them, each source's
// document data after its pages.
void AssemblePages(const CompileRequest &request, const QStringList &paths, JobObserver &observer,
                   PdfFile &book, CompileResult &result, Assembly &assembly)
{
    DamageReport &damage = assembly.damage;
    QList<QList<OwnBookmark>> &ownBookmarks = assembly.ownBookmarks;
    DocumentLevel &documentLevel = assembly.documentLevel;
    QStringList fileNames;
    for (const QString &name : request.names)
        fileNames.append(FileNameFromPath(name));
    SourceReader reader(paths, fileNames, assembly.writer->Numbering(), assembly.change);
    const QString blankPath = JoinPath(request.programFolder, kEmptyPageFileName);
    std::shared_ptr<PdfFile> blank;
    const Status blankRead = ReadPdfFile(blankPath, blank);
    bool blankReported = false;
    BookLayout &layout = result.layout;
    const int count = int(request.names.size());
    observer.Progress(0, count);
    for (int i = 0; i < count; ++i) {
        if (observer.StopRequested()) {
            result.stopped = true;
            return;
        }
        const QString &name = request.names.at(i);
        observer.At(name, i);
        const QString &path = paths.at(i);
        Status step;
        std::optional<SourcePiece> piece;
        std::shared_ptr<PdfFile> source = reader.Next(step, piece);
        int pages = 0;
        step = CountPages(source.get(), step, path, pages);
        const int pagesBefore = PageCount(book);
        bool sheetAdded = false;
        if (step && layout.BlankSheetDue()) {
            const Status appended = blankRead ? AppendPages(book, *blank) : blankRead;
            sheetAdded = appended.ok();
            if (sheetAdded && request.fitBlankSheets)
                FitToPageBefore(book, pagesBefore);
            if (!appended && !blankReported) {
                result.problems.add(Status::Failed(
                    blankPath,
                    QCoreApplication::translate("Book", "%1, so blank sheets are missing")
                        .arg(appended.reason())));
                blankReported = true;
            }
        }
        if (step && !piece)
            step = Status::Failed(path, QCoreApplication::translate("Book", "could not be read"));
        if (step)
            PutPages(book, *source, *piece, assembly);
        if (step && source->pdf.anyWarnings()) {
            const Repairs repairs = RepairsOf(*source);
            if (!repairs.lossy.isEmpty())
                damage.Add(path, QCoreApplication::translate(
                                     "Book", "is damaged (%1); what could be read of it went "
                                             "into the book")
                                     .arg(repairs.lossy));
            else
                result.notes.add(Status::Failed(
                    path, QCoreApplication::translate("Book", "was repaired as it was read (%1); "
                                                              "all of it went into the book")
                              .arg(repairs.lossless)));
        }
        if (step) {
            documentLevel.Add(book.pdf, fileNames.at(i), PageCount(book) - pages, pages, *piece,
                              *assembly.writer);
            if (request.bookmarkTitles == BookmarkTitles::FirstDot)
                layout.Place(name, pages, sheetAdded);
            else
                layout.Place(name, pages, sheetAdded,
                             BookmarkTitle(name, request.bookmarkTitles, OwnTitle(source->pdf)));
            ownBookmarks.append(QList<OwnBookmark>());
            QString broken;
            if (request.keepBookmarks &&
                !ReadOwnBookmarks(source->pdf, ownBookmarks.last(), broken))
                damage.Add(path, QCoreApplication::translate(
                                     "Book", "has damaged bookmarks (%1), which were left out "
                                             "of the book")
                                     .arg(broken));
        } else {
            RemovePagesFrom(book, pagesBefore);
            layout.LeaveOut(name, step);
            result.problems.add(Status::Failed(
                step.file(),
                QCoreApplication::translate("Book", "%1; it was left out").arg(step.reason())));
        }
        reader.Done(std::move(source));
        observer.Progress(i + 1, count);
    }
    assembly.firstFree = reader.NextNumber();
    assembly.carried = reader.TakeCarried();
    assembly.shared = reader.SharedNumbers();
}

// One bookmark per row of the table, in order, each document's own bookmarks under its own.
void AddBookmarks(QPDF &book, const BookmarkTable &table,
                  const QList<QList<OwnBookmark>> &ownBookmarks)
{
    const qsizetype front = table.size() - ownBookmarks.size(); // the index's row
    std::vector<QPDFObjectHandle> items;
    for (const BookmarkRow &row : table)
        items.push_back(AddOutlineItem(book, row.title, row.startPage));
    for (qsizetype i = front; i < table.size(); ++i)
        AddOwnBookmarks(book, items[size_t(i)], ownBookmarks.value(i - front),
                        table.at(i).startPage);
}

QStringList SourcePaths(const CompileRequest &request)
{
    QStringList paths;
    for (const QString &name : request.names)
        paths.append(JoinPath(request.workingFolder, name));
    return paths;
}

// What follows the pages: the index and page numbers the folder chose, the sources' document
// data, and the book's name.
Status FinishAssembly(const CompileRequest &request, PdfFile &book, Assembly &assembly,
                      CompileResult &result)
{
    BookBundle &bundle = assembly.bundle;
    const int front = bundle.PutIndexInFront(book.pdf, result.layout);
    assembly.writer->PiecesDone(assembly.firstFree);
    const Status finished = assembly.documentLevel.Finish(book.pdf, front, assembly.writer->Text());
    const StandIns standIns = assembly.writer->StandInsFor(std::move(assembly.shared));
    result.problems.add(bundle.Finish(book.pdf, result.layout, &standIns));
    result.shared = assembly.pieceShared;
    NameTheBook(book, BookTitleOf(request));
    return finished;
}

// Object streams unless every source is older than PDF 1.5, as their headers say.
bool ObjectStreamsFor(const CompileRequest &request, const QStringList &paths)
{
    if (!request.compact)
        return false;
    for (const QString &path : paths)
        if (!(PeekPdfVersion(path) < PDFVersion(1, 5)))
            return true;
    return false;
}

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

namespace {

// Writes the book of request's PDFs, read from paths, into target, which is not yet put in place.
// False when there is nothing to put in place: the user stopped, no page went in, or the write
// failed (each said in the result).
bool WriteBook(const CompileRequest &request, const QStringList &paths, WholeFileWrite &target,
               JobObserver &observer, CompileResult &result)
{
    const QString outputPath = BookPath(request.workingFolder, request.bookName);
    std::shared_ptr<PdfFile> book = NewBook();
    observer.Doing(QCoreApplication::translate("Book", "Compiling PDF files..."));
    Assembly assembly(request);
    // A linearized book is written first as any other, beside the target, then laid out again.
    WholeFileWrite firstPass;
    if (request.linearized)
        if (const Status begun = firstPass.Begin(outputPath, request.workingFolder); !begun) {
            result.problems.add(begun);
            return false;
        }
    WholeFileWrite &written = request.linearized ? firstPass : target;
    const bool objectStreams = ObjectStreamsFor(request, paths);
    int sinkError = 0;
    BookWriter writer(*book, objectStreams, FileSink(written.Descriptor(), sinkError),
                      [fd = written.Descriptor()](std::string_view header) {
                          return ::pwrite(fd, header.data(), header.size(), 0) ==
                                 ssize_t(header.size());
                      });
    assembly.writer = &writer;
    AssemblePages(request, paths, observer, *book, result, assembly);
    if (result.stopped || observer.StopRequested()) {
        result.stopped = true;
        return false; // the hidden file goes; an old book stays as it was
    }
    if (PageCount(*book) < 1) {
        result.problems.add(Status::Failed(
            outputPath, QCoreApplication::translate("Book", "no page could be added, "
                                                            "so no book was written")));
        return false;
    }
    if (const Status finished = FinishAssembly(request, *book, assembly, result); !finished)
        result.problems.add(Status::Failed(
            outputPath, QCoreApplication::translate(
                            "Book", "the sources' links, forms and other document data could "
                                    "not all be kept (%1)")
                            .arg(finished.reason())));
    AddBookmarks(book->pdf, result.layout.Bookmarks(), assembly.ownBookmarks);
    // Written once, complete, under the hidden name.
    Status done =
        writer.Finish(assembly.firstFree, std::move(assembly.carried), written.Target(), sinkError);
    assembly.damage.AddWritten(book->damagedSources, paths);
    assembly.damage.MoveTo(result.problems);
    FreeLater(std::move(book));
    if (done && request.linearized)
        done = Linearize(firstPass.TemporaryPath(), objectStreams, target);
    if (!done) {
        result.problems.add(Status::Failed(
            outputPath, QCoreApplication::translate(
                            "Book", "the book could not be finished (%1), so no book was written")
                            .arg(done.reason())));
        return false;
    }
    result.bytes = QFileInfo(target.TemporaryPath()).size();
    return true;
}

// The book's size as written, counted, not written; -1 when no page went in.
long long MeasureBook(const CompileRequest &request, const QStringList &paths, BookPlan *plan)
{
    SilentObserver observer;
    std::shared_ptr<PdfFile> book = NewBook();
    CompileResult result(request.blankSheets);
    Assembly assembly(request);
    long long counted = 0;
    std::string held; // a linearized book is measured as laid out again
    const bool objectStreams = ObjectStreamsFor(request, paths);
    BookWriter writer(*book, objectStreams, [&](std::string_view bytes) {
        counted += static_cast<long long>(bytes.size());
        if (request.linearized)
            held.append(bytes);
        return true;
    });
    assembly.writer = &writer;
    AssemblePages(request, paths, observer, *book, result, assembly);
    long long bytes = -1;
    if (PageCount(*book) > 0) {
        FinishAssembly(request, *book, assembly, result);
        AddBookmarks(book->pdf, result.layout.Bookmarks(), assembly.ownBookmarks);
        if (writer.Finish(assembly.firstFree, std::move(assembly.carried), QString()))
            bytes = request.linearized ? LinearizedSize(held, objectStreams) : counted;
    }
    if (plan)
        *plan = {result.layout, result.shared, bytes, {}};
    FreeLater(std::move(book));
    return bytes;
}

// What volumes are planned from: each document's pages (0 for one that is left out) and its
// bookmark's title.
struct DocumentFacts {
    QList<int> pages;
    QStringList titles;
};

DocumentFacts ReadDocumentFacts(const CompileRequest &request, const QStringList &paths)
{
    DocumentFacts facts;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        std::shared_ptr<PdfFile> source;
        int pages = 0;
        const Status read =
            CountPages(source.get(), ReadPdfFile(paths.at(i), source), paths.at(i), pages);
        const QString &name = request.names.at(i);
        facts.pages.append(pages);
        facts.titles.append(request.bookmarkTitles == BookmarkTitles::FirstDot
                                ? BookmarkTitle(name)
                                : BookmarkTitle(name, request.bookmarkTitles,
                                                read ? OwnTitle(source->pdf) : QString()));
    }
    return facts;
}

// The pages an index of so many lines takes in front, its blank sheet included.
int IndexPagesFor(const CompileRequest &request, int lines)
{
    if (!request.indexPage || lines == 0)
        return 0;
    const int pages = IndexPageCount(lines);
    return pages + (request.blankSheets && pages % 2 == 1 ? 1 : 0);
}

// The request for one volume: the documents of cut, in its place in the set; the first holds
// the index, if any.
CompileRequest VolumeRequest(const CompileRequest &request, const VolumeCut &cut, int volumes,
                             const VolumePlace &place)
{
    CompileRequest part = request;
    part.names = request.names.mid(cut.first, cut.count);
    part.bookName = VolumeName(request.bookName, place.volume, volumes);
    part.place = place;
    part.indexPage = request.indexPage && place.volume == 1;
    return part;
}

struct VolumePlan {
    QList<VolumeCut> cuts;
    QList<int> pages; // each volume's, the first's index included
    int total = 0;
    QList<IndexedElsewhere> later;                 // the later volumes' documents, for the index
    QList<std::pair<int, InAnotherVolume>> placed; // each document's volume (zero-based), place
};

// Where each document of the later volumes starts, for the index in the first.
void PlaceLaterDocuments(const CompileRequest &request, const DocumentFacts &facts, int front,
                         VolumePlan &plan)
{
    const int volumes = int(plan.cuts.size());
    int before = 0;
    for (int i = 0; i < volumes; ++i) {
        const VolumeCut &cut = plan.cuts.at(i);
        int start = i == 0 ? front : 0;
        bool sheetDue = false;
        for (int d = cut.first; d < cut.first + cut.count; ++d) {
            const int pages = facts.pages.at(d);
            if (pages == 0)
                continue;
            start += sheetDue ? 1 : 0;
            plan.placed.append({i,
                                {request.names.at(d), VolumeName(request.bookName, i + 1, volumes),
                                 start, pages}});
            if (i > 0)
                plan.later.append({facts.titles.at(d), VolumeName(request.bookName, i + 1, volumes),
                                   i + 1, start, request.place.firstNumber + before + start});
            start += pages;
            sheetDue = request.blankSheets && pages % 2 == 1;
        }
        before += plan.pages.at(i);
    }
}

// The documents of every volume but volume (zero-based), for the links that lead to them.
std::vector<InAnotherVolume> OtherVolumes(const VolumePlan &plan, int volume)
{
    std::vector<InAnotherVolume> others;
    for (const auto &[in, place] : plan.placed)
        if (in != volume)
            others.push_back(place);
    return others;
}

// How the documents fall into volumes under the request's limit.
VolumePlan PlanVolumes(const CompileRequest &request, const QStringList &paths,
                       const VolumeLimit &limit)
{
    const DocumentFacts facts = ReadDocumentFacts(request, paths);
    const int documents = int(facts.pages.size());
    const int front = IndexPagesFor(request, int(documents - facts.pages.count(0)));
    // A volume is measured as it will be written, where the set's numbers, volume names and
    // pages are unknown yet as wide as they can be: it is never larger than measured.
    const int most = front + VolumePages(facts.pages, request.blankSheets, {0, documents});
    const QString widest = VolumeName(request.bookName, documents, documents);
    const auto bytesOf = [&](int first, int count, int pagesBefore) {
        VolumePlace place{
            first == 0 ? 1 : documents, request.place.firstNumber + pagesBefore, most, {}, {}};
        for (int d = 0; d < documents; ++d) {
            if (d >= first && d < first + count)
                continue;
            if (first == 0)
                place.later.append({facts.titles.at(d), widest, documents, most, most});
            place.others.push_back({request.names.at(d), widest, most, facts.pages.at(d)});
        }
        return MeasureBook(VolumeRequest(request, {first, count}, documents, place),
                           paths.mid(first, count), nullptr);
    };
    VolumePlan plan;
    plan.cuts = CutIntoVolumes(facts.pages, request.blankSheets, limit, bytesOf, front);
    for (const VolumeCut &cut : plan.cuts) {
        plan.pages.append(VolumePages(facts.pages, request.blankSheets, cut) +
                          (cut.first == 0 ? front : 0));
        plan.total += plan.pages.last();
    }
    PlaceLaterDocuments(request, facts, front, plan);
    return plan;
}

// Removes what an earlier run left of this book under other names: its volumes, or the single
// book when there are volumes now.
void RemoveStaleVolumes(const CompileRequest &request, const QStringList &kept)
{
    const QString folder = JoinPath(request.workingFolder, kOutputFolderName);
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::System);
    for (const QString &name : names)
        if ((IsVolumeOf(name, request.bookName) || name == request.bookName) &&
            !kept.contains(name))
            QFile::remove(JoinPath(folder, name));
}

// A book cut into volumes: each written whole, then all put in place at once, and only then are
// the earlier set's other volumes removed.
void CompileVolumes(const CompileRequest &request, const QStringList &paths,
                    const VolumeLimit &limit, JobObserver &observer, CompileResult &result)
{
    observer.Doing(QCoreApplication::translate("Book", "Dividing the book into volumes..."));
    const VolumePlan plan = PlanVolumes(request, paths, limit);
    const int volumes = int(plan.cuts.size());
    QStringList alone;
    for (const VolumeCut &cut : plan.cuts)
        if (cut.overLimit)
            alone.append(request.names.at(cut.first));
    if (!alone.isEmpty()) {
        result.notices.append(
            {QCoreApplication::translate("Book",
                                         "%n PDF(s) alone larger than a volume may be (%2), so "
                                         "each makes a volume of its own: %1",
                                         nullptr, int(alone.size()))
                 .arg(alone.join(QStringLiteral(", ")), limit.Text()),
             kProgramTitle, Notice::Icon::Warning});
        observer.Tell(result.notices.last());
    }
    std::vector<std::unique_ptr<WholeFileWrite>> targets;
    int numberedBefore = 0;
    for (int i = 0; i < volumes; ++i) {
        const VolumeCut &cut = plan.cuts.at(i);
        const CompileRequest part =
            VolumeRequest(request, cut, volumes,
                          {i + 1, request.place.firstNumber + numberedBefore, plan.total,
                           i == 0 ? plan.later : QList<IndexedElsewhere>(), OtherVolumes(plan, i)});
        const QString path = BookPath(request.workingFolder, part.bookName);
        auto &target = targets.emplace_back(std::make_unique<WholeFileWrite>());
        CompileResult made(request.blankSheets);
        const Status begun = target->Begin(path, request.workingFolder);
        const bool written =
            begun && WriteBook(part, paths.mid(cut.first, cut.count), *target, observer, made);
        result.problems.add(begun);
        result.problems.merge(made.problems);
        result.notes.merge(made.notes);
        if (!written) {
            result.stopped = made.stopped;
            if (!made.stopped)
                result.problems.add(Status::Failed(
                    path, QCoreApplication::translate("Book", "no volume was put in place, so the "
                                                              "earlier book is as it was")));
            return;
        }
        result.volumes.append({path, made.layout, made.bytes, numberedBefore});
        numberedBefore += made.layout.TotalPages();
    }
    QStringList kept;
    for (int i = 0; i < volumes; ++i) {
        if (const Status committed = targets[size_t(i)]->Commit(); !committed) {
            result.problems.add(committed);
            return;
        }
        kept.append(VolumeName(request.bookName, i + 1, volumes));
        result.bytes += result.volumes.at(i).bytes;
    }
    RemoveStaleVolumes(request, kept);
    result.book = result.volumes.first().path;
    result.layout = result.volumes.first().layout;
}

} // namespace

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
    observer.Doing(QCoreApplication::translate("Book", "Creating Output File..."));
    observer.At(request.bookName);
    if (limit) {
        CompileVolumes(request, paths, *limit, observer, result);
    } else if (WriteBook(request, paths, target, observer, result)) {
        if (const Status committed = target.Commit(); committed) {
            result.book = outputPath;
            RemoveStaleVolumes(request, {request.bookName});
        } else {
            result.problems.add(Status::Failed(
                outputPath,
                QCoreApplication::translate(
                    "Book", "the book could not be finished (%1), so no book was written")
                    .arg(committed.reason())));
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
    const VolumePlan volumes = PlanVolumes(request, paths, *limit);
    const int count = int(volumes.cuts.size());
    int before = 0;
    for (int i = 0; i < count; ++i) {
        const VolumeCut &cut = volumes.cuts.at(i);
        const CompileRequest part = VolumeRequest(
            request, cut, count,
            {i + 1, request.place.firstNumber + before, volumes.total,
             i == 0 ? volumes.later : QList<IndexedElsewhere>(), OtherVolumes(volumes, i)});
        BookPlan volume;
        MeasureBook(part, paths.mid(cut.first, cut.count), &volume);
        plan.volumes.append(
            {BookPath(request.workingFolder, part.bookName), volume.layout, volume.bytes, before});
        plan.shared.streams += volume.shared.streams;
        plan.shared.bytes += volume.shared.bytes;
        before += volumes.pages.at(i);
    }
    return plan;
}

} // namespace qf
