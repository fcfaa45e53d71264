#include "compile/CompileBook.h"

#include "book/DocumentLevel.h"
#include "book/Outline.h"
#include "book/PdfFile.h"
#include "book/PdfWrite.h"
#include "book/SharedStreams.h"
#include "bundle/PageNumberFormat.h"
#include "bundle/PageNumbers.h"
#include "compile/BookBundle.h"
#include "compile/OwnBookmarks.h"
#include "compile/SourceReader.h"
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
    const std::vector<QPDFExc> warnings = file.pdf.getWarnings();
    for (const QPDFExc &warning : warnings)
        if (warning.getMessageDetail() != "file is damaged")
            return QString::fromStdString(warning.getMessageDetail());
    return QCoreApplication::translate("Book", "file is damaged");
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
    QPDFObjectHandle title = pdf.getTrailer().getKey("/Info").getKey("/Title");
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
    {}

    BookBundle bundle; // the index and page numbers the folder chose
    DamageReport damage;
    QList<QList<OwnBookmark>> ownBookmarks; // one list per document that went in
    DocumentLevel documentLevel;
    BookWriter *writer = nullptr;      // the book written as it is made; null: at the end
    int firstFree = 0;                 // the first number no source's piece took
    PendingObjects carried;            // the pieces' objects that wait for an object stream
    std::map<std::string, int> shared; // the book's own objects the pieces refer to
    PageChange change;                 // what the pieces' pages need for the bundle's stamps
    SharedStreams pieceShared;         // what the pieces kept once
};

// Puts a source's pages into the book: its piece's pages when it was written apart, else copies.
Status PutPages(PdfFile &book, PdfFile &source, const std::optional<SourcePiece> &piece,
                Assembly &assembly)
{
    if (!piece)
        return AppendPages(book, source);
    book.version.updateIfGreater(source.version); // before the header is written
    assembly.writer->Add(*piece);                 // a failed write is said when it is finished
    if (!piece->undecodable.isEmpty())
        NameUndecodable(book, source.path, piece->undecodable);
    assembly.pieceShared.streams += piece->shared.streams;
    assembly.pieceShared.bytes += piece->shared.bytes;
    return Status::Ok();
}

// Puts the sources' pages into the book in order, as the layout places them, each source's
// document data after its pages.
void AssemblePages(const CompileRequest &request, const QStringList &paths, JobObserver &observer,
                   PdfFile &book, CompileResult &result, Assembly &assembly)
{
    DamageReport &damage = assembly.damage;
    QList<QList<OwnBookmark>> &ownBookmarks = assembly.ownBookmarks;
    DocumentLevel &documentLevel = assembly.documentLevel;
    SourceReader reader(
        paths, assembly.writer ? std::optional(assembly.writer->Numbering()) : std::nullopt,
        assembly.change);
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
        if (step)
            step = PutPages(book, *source, piece, assembly);
        if (step && source->pdf.anyWarnings())
            damage.Add(path, QCoreApplication::translate(
                                 "Book", "is damaged (%1); what could be read of it went into "
                                         "the book")
                                 .arg(RepairDetail(*source)));
        if (step) {
            const Status kept =
                piece ? (documentLevel.AddAlone(book.pdf, FileNameFromPath(name),
                                                PageCount(book) - pages, pages, *piece,
                                                *assembly.writer),
                         Status::Ok())
                      : documentLevel.Add(book.pdf, FileNameFromPath(name), source->pdf,
                                          PageCount(book) - pages, pages);
            if (!kept)
                damage.Add(path, QCoreApplication::translate(
                                     "Book", "has links, form fields or other document data "
                                             "that could not all be kept (%1); its pages went "
                                             "into the book")
                                     .arg(kept.reason()));
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
// data, their shared streams kept once, the book's name, and how it is to be written.
Status FinishAssembly(const CompileRequest &request, PdfFile &book, Assembly &assembly,
                      CompileResult &result)
{
    BookBundle &bundle = assembly.bundle;
    const int front = bundle.PutIndexInFront(book.pdf, result.layout);
    const Status finished = assembly.documentLevel.Finish(book.pdf, front);
    const bool apart = assembly.writer && assembly.writer->Started();
    const StandIns standIns =
        apart ? assembly.writer->StandInsFor(std::move(assembly.shared)) : StandIns();
    result.problems.add(bundle.Finish(book.pdf, result.layout, apart ? &standIns : nullptr));
    result.shared = ShareIdenticalStreams(book.pdf);
    result.shared.streams += assembly.pieceShared.streams;
    result.shared.bytes += assembly.pieceShared.bytes;
    NameTheBook(book, BookTitleOf(request));
    // Sources all older than PDF 1.5 may be made for readers or print rules without object
    // streams. A book written as it was made was told so before.
    if (!assembly.writer || !assembly.writer->Started())
        book.objectStreams = request.compact && !(book.version < PDFVersion(1, 5));
    book.linearized = request.linearized;
    return finished;
}

// Whether the sources' pieces can be written apart as they are read: a linearized layout needs
// every page in the book.
bool WrittenAsMade(const CompileRequest &request)
{
    return !request.linearized;
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
    result.stopped = recognition.stopped;
    for (qsizetype i = 0; i < paths.size(); ++i)
        paths[i] = recognition.copies.value(request.names.at(i), paths.at(i));
    return !result.stopped;
}

} // namespace

CompileResult CompileBook(const CompileRequest &request, JobObserver &observer, BookViewer &viewer)
{
    CompileResult result{QString(), BookLayout(request.blankSheets), {}, false, {}, 0, {}};
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
    const QString outputPath = BookPath(request.workingFolder, request.bookName);
    const Status prepared = PrepareOutput(
        request.workingFolder, JoinPath(request.workingFolder, kOutputFolderName), outputPath);
    // The book is made under a hidden name and takes the output path's place only once it is
    // complete, bookmarks and all.
    WholeFileWrite target;
    const Status begun = prepared ? target.Begin(outputPath, request.workingFolder) : prepared;
    if (!begun) {
        result.problems.add(begun);
        return result;
    }
    QStringList paths = SourcePaths(request);
    if (request.recogniseScans && !ReadRecognisedCopies(request, observer, paths, result))
        return result; // stopped
    observer.Doing(QCoreApplication::translate("Book", "Creating Output File..."));
    observer.At(request.bookName);

    std::shared_ptr<PdfFile> book = NewBook();
    observer.Doing(QCoreApplication::translate("Book", "Compiling PDF files..."));
    Assembly assembly(request);
    int sinkError = 0;
    std::optional<BookWriter> writer;
    if (WrittenAsMade(request))
        assembly.writer = &writer.emplace(
            *book, ObjectStreamsFor(request, paths), FileSink(target.Descriptor(), sinkError),
            [fd = target.Descriptor()](std::string_view header) {
                return ::pwrite(fd, header.data(), header.size(), 0) == ssize_t(header.size());
            });
    AssemblePages(request, paths, observer, *book, result, assembly);
    if (result.stopped || observer.StopRequested()) {
        result.stopped = true;
        return result; // the hidden file goes; an old book stays as it was
    }

    if (PageCount(*book) < 1) {
        result.problems.add(Status::Failed(
            outputPath, QCoreApplication::translate("Book", "no page could be added, "
                                                            "so no book was written")));
        return result;
    }
    if (const Status finished = FinishAssembly(request, *book, assembly, result); !finished)
        result.problems.add(Status::Failed(
            outputPath, QCoreApplication::translate(
                            "Book", "the sources' links, forms and other document data could "
                                    "not all be kept (%1)")
                            .arg(finished.reason())));
    AddBookmarks(book->pdf, result.layout.Bookmarks(), assembly.ownBookmarks);
    // Written once, complete, under the hidden name; the rename then puts it in the old one's
    // place.
    Status done = writer && writer->Started()
                      ? writer->Finish(assembly.firstFree, std::move(assembly.carried),
                                       target.Target(), sinkError)
                      : WritePdfInto(*book, target);
    if (done)
        done = target.Commit();
    assembly.damage.AddWritten(book->damagedSources, paths);
    assembly.damage.MoveTo(result.problems);
    if (!done) {
        result.problems.add(Status::Failed(
            outputPath, QCoreApplication::translate(
                            "Book", "the book could not be finished (%1), so no book was written")
                            .arg(done.reason())));
        return result;
    }
    result.book = outputPath;
    result.bytes = QFileInfo(outputPath).size();
    // A desktop without a PDF viewer says so only on standard error: the window says it too.
    if (!viewer.ShowBook(AbsolutePdfPath(outputPath)))
        result.problems.add(Status::Failed(
            QString(),
            QCoreApplication::translate("Book", "No PDF viewer opened the book; it is at %1")
                .arg(AbsolutePdfPath(outputPath))));
    FreeLater(std::move(book));
    return result;
}

BookPlan PlanBook(const CompileRequest &request)
{
    // The book is book in memory as a compile makes it, and its size counted, not written.
    SilentObserver observer;
    std::shared_ptr<PdfFile> book = NewBook();
    CompileResult result{QString(), BookLayout(request.blankSheets), {}, false, {}, 0, {}};
    const QStringList paths = SourcePaths(request);
    Assembly assembly(request);
    long long counted = 0;
    std::optional<BookWriter> writer;
    if (WrittenAsMade(request))
        assembly.writer =
            &writer.emplace(*book, ObjectStreamsFor(request, paths), [&](std::string_view bytes) {
                counted += static_cast<long long>(bytes.size());
                return true;
            });
    AssemblePages(request, paths, observer, *book, result, assembly);
    BookPlan plan{result.layout, {}, -1};
    if (PageCount(*book) > 0) {
        FinishAssembly(request, *book, assembly, result);
        plan.layout = result.layout; // with the index and page numbers
        plan.shared = result.shared;
        if (!writer || !writer->Started())
            plan.bytes = WrittenSize(*book);
        else if (writer->Finish(assembly.firstFree, std::move(assembly.carried), QString()))
            plan.bytes = counted;
    }
    FreeLater(std::move(book));
    return plan;
}

} // namespace qf
