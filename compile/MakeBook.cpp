#include "compile/MakeBook.h"

#include "book/BookInProgress.h"
#include "book/DocumentLevel.h"
#include "book/Linearize.h"
#include "book/Outline.h"
#include "book/PdfFile.h"
#include "book/PdfWrite.h"
#include "book/SharedStreams.h"
#include "bundle/PageNumbers.h"
#include "compile/BookBundle.h"
#include "compile/KeptSources.h"
#include "compile/OwnBookmarks.h"
#include "core/Workspace.h"
#include "store/WholeFile.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QCoreApplication>
#include <QFileInfo>

#include <unistd.h>

#include <algorithm>

namespace qf {
namespace {

// A source that qpdf had to repair while reading: what it found, past its general complaint.
QString RepairDetail(PdfFile &file)
{
    const Repairs repairs = RepairsOf(file);
    return repairs.lossy.isEmpty() ? repairs.lossless : repairs.lossy;
}

} // namespace

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

QString OwnTitle(QPDF &pdf)
{
    QPDFObjectHandle title = ValueOf(pdf.getTrailer().getKey("/Info"), "/Title");
    return title.isString() ? QString::fromStdString(title.getUTF8Value()) : QString();
}

namespace {

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

// The book says what it is: its title, its creator Quirefold, and it opens with its bookmarks
// shown.
void NameTheBook(PdfFile &book, const QString &title, bool forFiling)
{
    QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString("Quirefold"));
    book.pdf.getTrailer().replaceKey("/Info", book.pdf.makeIndirectObject(info));
    book.pdf.getRoot().replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
    // A portal's reader shows the title, not a file name the portal gave it.
    if (forFiling)
        book.pdf.getRoot().replaceKey("/ViewerPreferences",
                                      QPDFObjectHandle::parse("<< /DisplayDocTitle true >>"));
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

// Gives the book's blank sheet at index the size every page takes, upright.
void SizeSheet(PdfFile &book, int index, const PageFit &fit)
{
    QPDFObjectHandle sheet = book.pdf.getAllPages().at(size_t(index));
    sheet.replaceKey("/MediaBox",
                     QPDFObjectHandle::newFromRectangle({0, 0, fit.width, fit.height}));
    sheet.removeKey("/CropBox");
    sheet.removeKey("/Rotate");
}

// What a filing copy took out of a source, each change said on its own.
void NameFilingChanges(const QString &path, const TakenSource &source, QList<BookChange> &changes)
{
    const FilingChanges &taken = source.piece->filing;
    if (taken.fieldsFlattened > 0)
        changes.append({path, QCoreApplication::translate("Book", "%n form field(s) flattened",
                                                          nullptr, taken.fieldsFlattened)});
    if (taken.scriptsRemoved)
        changes.append({path, QCoreApplication::translate("Book", "its scripts were removed")});
    if (!taken.activeRemoved.empty())
        changes.append({path, QCoreApplication::translate("Book", "its active content was removed "
                                                                  "(%1)")
                                  .arg(ActiveContentSaid(taken.activeRemoved))});
    if (taken.filesRemoved > 0)
        changes.append({path, QCoreApplication::translate("Book", "%n attached file(s) removed",
                                                          nullptr, taken.filesRemoved)});
    if (source.encrypted)
        changes.append({path, QCoreApplication::translate(
                                  "Book", "its restrictions were not carried into the book")});
}

// What assembling the pages gathers besides the book.
struct Assembly {
    explicit Assembly(const CompileRequest &request) : bundle(request), change(bundle.Stamping())
    {
        documentLevel.SetOtherVolumes(request.place.others);
    }

    BookBundle bundle; // the index and page numbers the folder chose
    DamageReport damage;
    QList<QList<OwnBookmark>> ownBookmarks; // one list per document that went in
    DocumentLevel documentLevel;
    BookInProgress *inProgress = nullptr; // the book written as it is made
    PageChange change;                    // what the pieces' pages need for the bundle's stamps
    SharedStreams pieceShared;            // what the pieces kept once
    SharedSize sizes;                     // the size the documents' pages share, if one
    std::vector<int> sheets; // the blank sheets that take it, by their index in the book
    // The pages in place of documents left out, by their index in the book, with what they say:
    // made again on the size the pages share once it is known.
    struct Missing {
        int index = 0;
        QString fileName, reason;
    };
    std::vector<Missing> missing;
};

// Puts a source's pages into the book: its piece's pages, written already.
void PutPages(PdfFile &book, const TakenSource &source, Assembly &assembly)
{
    const SourcePiece &piece = *source.piece;
    book.version.updateIfGreater(source.version); // before the header is written
    assembly.inProgress->Add(piece);              // a failed write is said when it is finished
    if (!piece.undecodable.isEmpty())
        NameUndecodable(book, source.path, piece.undecodable);
    assembly.pieceShared.streams += piece.shared.streams;
    assembly.pieceShared.bytes += piece.shared.bytes;
}

// Puts the sources' pages into the book in order, as the layout places them, each source's
// document data after its pages; kept: the sources as taken before, none read.
void AssemblePages(const CompileRequest &request, const QStringList &paths, JobObserver &observer,
                   PdfFile &book, CompileResult &result, Assembly &assembly, KeptSources *kept)
{
    DamageReport &damage = assembly.damage;
    QList<QList<OwnBookmark>> &ownBookmarks = assembly.ownBookmarks;
    DocumentLevel &documentLevel = assembly.documentLevel;
    BookInProgress &reader = *assembly.inProgress;
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
        TakenSource read;
        const TakenSource &source = kept ? kept->At(i) : (read = TakeSource(reader, request, path));
        Status step = source.status;
        const int pages = source.pages;
        const std::optional<SourcePiece> &piece = source.piece;
        const int pagesBefore = PageCount(book);
        if (step && !piece)
            step = Status::Failed(path, QCoreApplication::translate("Book", "could not be read"));
        // In a bundle, a document left out keeps its place, on a page that says why.
        const bool standIn = !step && assembly.bundle.Placeholders();
        bool sheetAdded = false;
        if ((step || standIn) && layout.BlankSheetDue()) {
            const Status appended = blankRead ? AppendPages(book, *blank) : blankRead;
            sheetAdded = appended.ok();
            if (sheetAdded && request.fitBlankSheets)
                FitToPageBefore(book, pagesBefore);
            else if (sheetAdded && request.pageFit)
                SizeSheet(book, pagesBefore, request.pageFit);
            else if (sheetAdded)
                assembly.sheets.push_back(pagesBefore);
            if (!appended && !blankReported) {
                result.problems.add(Status::Failed(
                    blankPath,
                    QCoreApplication::translate("Book", "%1, so blank sheets are missing")
                        .arg(appended.reason())));
                blankReported = true;
            }
        }
        if (step) {
            PutPages(book, source, assembly);
            result.scaledPages += piece->scaledPages;
            result.numberRoom.Add(piece->shrunkPages, piece->leastScale);
            assembly.sizes.Add(piece->sizes);
            if (request.forFiling)
                NameFilingChanges(path, source, result.changes);
        }
        if (step && source.repaired) {
            const Repairs &repairs = source.repairs;
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
            documentLevel.Add(book.pdf, FileNameFromPath(name), PageCount(book) - pages, pages,
                              *piece, reader.Writer());
            if (request.bookmarkTitles == BookmarkTitles::FirstDot)
                layout.Place(name, pages, sheetAdded);
            else
                layout.Place(name, pages, sheetAdded,
                             BookmarkTitle(name, request.bookmarkTitles, source.own.title));
            ownBookmarks.append(source.own.bookmarks);
            if (!source.own.bookmarksWhole)
                damage.Add(path, QCoreApplication::translate(
                                     "Book", "has damaged bookmarks (%1), which were left out "
                                             "of the book")
                                     .arg(source.own.bookmarksDamage));
        } else {
            const QString leftOut =
                QCoreApplication::translate("Book", "%1; it was left out").arg(step.reason());
            if (standIn) {
                assembly.missing.push_back(
                    {int(book.pdf.getAllPages().size()), FileNameFromPath(name), leftOut});
                book.pdf.addPage(
                    assembly.bundle.MissingPage(book.pdf, FileNameFromPath(name), leftOut), false);
                layout.Place(name, 1, sheetAdded,
                             BookmarkTitle(name, request.bookmarkTitles, QString()), step);
                ownBookmarks.append(QList<OwnBookmark>());
            } else {
                RemovePagesFrom(book, pagesBefore);
                layout.LeaveOut(name, step);
            }
            result.problems.add(Status::Failed(step.file(), leftOut));
        }
        observer.Progress(i + 1, count);
    }
    if (kept && count > 0)
        reader.EndsAfter(kept->At(count - 1).after);
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

// What follows the pages: the index and page numbers the folder chose, the sources' document
// data, and the book's name.
Status FinishAssembly(const CompileRequest &request, PdfFile &book, Assembly &assembly,
                      CompileResult &result)
{
    BookBundle &bundle = assembly.bundle;
    // The pages the book makes take the size every document's pages share, A4 when they differ.
    if (const SharedSize &sizes = assembly.sizes; sizes.Shared()) {
        const PageFit shared{sizes.Width(), sizes.Height()};
        for (const int sheet : assembly.sheets)
            SizeSheet(book, sheet, shared);
        bundle.SetPaper({shared.width, shared.height});
        for (const Assembly::Missing &missing : assembly.missing) {
            QPDFObjectHandle page = book.pdf.getAllPages().at(size_t(missing.index));
            QPDFObjectHandle made = bundle.MissingPage(book.pdf, missing.fileName, missing.reason);
            for (const char *key : {"/MediaBox", "/Contents", "/Resources"})
                page.replaceKey(key, made.getKey(key));
            page.removeKey("/CropBox");
        }
    }
    const int front = bundle.PutIndexInFront(book.pdf, result.layout);
    assembly.inProgress->PiecesDone();
    const Status finished =
        assembly.documentLevel.Finish(book.pdf, front, assembly.inProgress->Text());
    const StandIns standIns = assembly.inProgress->OwnStandIns();
    result.problems.add(bundle.Finish(book.pdf, result.layout, &standIns));
    result.shared = assembly.pieceShared;
    NameTheBook(book, BookTitleOf(request), request.forFiling);
    return finished;
}

// Where the book's bytes go as it is made: into a file, or only counted.
struct BookBytes {
    ByteSink sink;
    BookWriter::HeaderPatch patch; // null: a later version is said in the catalog
    int *sinkError = nullptr;      // the sink's errno when it failed
    QString target;                // named when the book cannot be finished; empty when counted
};

// Makes the book of request's PDFs, read from paths, into bytes. False when no book came of it:
// the user stopped, no page went in, or it could not be finished (each said in the result).
bool MakeBook(const CompileRequest &request, const QStringList &paths, const BookBytes &bytes,
              bool objectStreams, JobObserver &observer, CompileResult &result, KeptSources *kept)
{
    const QString outputPath = BookPath(request.workingFolder, request.bookName);
    std::shared_ptr<PdfFile> book = NewBook();
    observer.Doing(QCoreApplication::translate("Book", "Compiling PDF files..."));
    Assembly assembly(request);
    QStringList fileNames;
    for (const QString &name : request.names)
        fileNames.append(FileNameFromPath(name));
    std::unique_ptr<BookInProgress> inProgress =
        kept ? std::make_unique<BookInProgress>(*book, objectStreams, bytes.sink, bytes.patch)
             : std::make_unique<BookInProgress>(
                   *book, objectStreams, bytes.sink, bytes.patch, paths, fileNames, assembly.change,
                   false, PieceChangesOf(request), FactsFor(request), request.passwords);
    assembly.inProgress = inProgress.get();
    if (bytes.target.isEmpty())
        inProgress->Writer().CountOnly();
    AssemblePages(request, paths, observer, *book, result, assembly, kept);
    if (result.stopped || observer.StopRequested()) {
        result.stopped = true;
        return false; // the hidden file goes; an old book stays as it was
    }
    // Pages standing in for documents left out make no book of their own; a volume keeps its
    // place in the set.
    const QList<PlacedDocument> &placed = result.layout.Documents();
    const bool anyIn = std::any_of(placed.begin(), placed.end(), [](const PlacedDocument &doc) {
        return doc.status && doc.missing;
    });
    if (PageCount(*book) < 1 || (!anyIn && request.place.volume == 0)) {
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
    // Written once, complete.
    const Status done = inProgress->Finish(bytes.target, bytes.sinkError ? *bytes.sinkError : 0);
    assembly.damage.AddWritten(book->damagedSources, paths);
    assembly.damage.MoveTo(result.problems);
    FreeLater(std::move(book));
    if (!done)
        result.problems.add(BookNotFinished(outputPath, done.reason()));
    return done.ok();
}

} // namespace

bool ObjectStreamsFor(const CompileRequest &request, const QStringList &paths)
{
    if (!request.compact)
        return false;
    for (const QString &path : paths)
        if (!(PeekPdfVersion(path) < PDFVersion(1, 5)))
            return true;
    return false;
}

Status BookNotFinished(const QString &path, const QString &reason)
{
    return Status::Failed(path,
                          QCoreApplication::translate(
                              "Book", "the book could not be finished (%1), so no book was written")
                              .arg(reason));
}

bool WriteBook(const CompileRequest &request, const QStringList &paths, WholeFileWrite &target,
               JobObserver &observer, CompileResult &result, KeptSources *kept)
{
    const QString outputPath = BookPath(request.workingFolder, request.bookName);
    // A linearized book is written first as any other, beside the target, then laid out again.
    WholeFileWrite firstPass;
    if (request.linearized)
        if (const Status begun = firstPass.Begin(outputPath, request.workingFolder); !begun) {
            result.problems.add(begun);
            return false;
        }
    WholeFileWrite &written = request.linearized ? firstPass : target;
    const bool objectStreams = kept ? kept->ObjectStreams() : ObjectStreamsFor(request, paths);
    int sinkError = 0;
    const BookBytes bytes{FileSink(written.Descriptor(), sinkError),
                          [fd = written.Descriptor()](std::string_view header) {
                              return ::pwrite(fd, header.data(), header.size(), 0) ==
                                     ssize_t(header.size());
                          },
                          &sinkError, written.Target()};
    if (!MakeBook(request, paths, bytes, objectStreams, observer, result, kept))
        return false;
    if (request.linearized)
        if (const Status laidOut = Linearize(firstPass.TemporaryPath(), objectStreams, target);
            !laidOut) {
            result.problems.add(BookNotFinished(outputPath, laidOut.reason()));
            return false;
        }
    result.bytes = QFileInfo(target.TemporaryPath()).size();
    return true;
}

long long MeasureBook(const CompileRequest &request, const QStringList &paths, BookPlan *plan,
                      KeptSources *kept)
{
    SilentObserver observer;
    CompileResult result(request.blankSheets);
    long long counted = 0;
    std::string held; // a linearized book is measured as laid out again
    const bool objectStreams = kept ? kept->ObjectStreams() : ObjectStreamsFor(request, paths);
    const BookBytes bytes{[&](std::string_view written) {
                              counted += static_cast<long long>(written.size());
                              if (request.linearized)
                                  held.append(written);
                              return true;
                          },
                          nullptr, nullptr, QString()};
    long long size = -1;
    if (MakeBook(request, paths, bytes, objectStreams, observer, result, kept))
        size = request.linearized ? LinearizedSize(held, objectStreams) : counted;
    if (plan)
        *plan = {result.layout, result.shared, size, result.scaledPages, {}};
    return size;
}

} // namespace qf
