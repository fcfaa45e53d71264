#pragma once

#include "book/ObjectWriter.h"
#include "book/PdfFile.h"
#include "book/SourcePiece.h"
#include "core/Status.h"

#include <functional>
#include <map>
#include <memory>

namespace qf {

class WholeFileWrite;

// Writes the whole document to path through a hidden temporary file beside it that is renamed
// into place: the target is either the complete new file or left as it was. A target reached
// through a symbolic link that leads out of its folder is refused.
//
// Stream data copied from a source that cannot be decoded is written as it stands, so the pages
// show as the source shows them; each such source is named in file.damagedSources. Stream data
// that can no longer be read at all fails the write instead of leaving empty pages.
Status WritePdfAtomically(PdfFile &file, const QString &path);
// The same, into the temporary file of a whole-file write that the caller commits.
Status WritePdfInto(PdfFile &file, WholeFileWrite &out);

// The pages of a book that stand in for pages written apart, and the book's own objects those
// refer to, which the book is to write under the numbers they took.
struct StandIns {
    struct Page {
        int object = 0; // the number of the book's object for it alone
        std::string note;
    };
    std::unordered_map<QPDFObjGen, Page, ObjGenHash> pages;
    std::map<std::string, int> shared; // by key
    // Writes object under number.
    std::function<void(QPDFObjectHandle object, int number)> write;
};

// A book written while it is made: the pieces of the sources that stand alone go out as they
// come, each of their pages in the book a stand-in for the written one; the rest of the book
// follows at the end, in the same pass.
class BookWriter {
public:
    // Where the bytes go, and how to put the final version into the header written first;
    // without a way, a later version is said in the catalog.
    using HeaderPatch = std::function<bool(std::string_view header)>;
    BookWriter(PdfFile &book, bool objectStreams, ByteSink sink, HeaderPatch patch = nullptr);
    ~BookWriter();
    BookWriter(const BookWriter &) = delete;
    BookWriter &operator=(const BookWriter &) = delete;

    // The numbers the pieces are to take.
    BookNumbering Numbering() const;
    // The bytes are only counted, not kept: what only tells them apart is not worked out.
    void CountOnly() { writer_->CountOnly(); }
    // Appends the piece and puts its pages' stand-ins at the end of the book's pages. False when
    // the bytes could not be written.
    bool Add(const SourcePiece &piece);
    // The book's stand-in for an object a piece wrote under number, the same for each call.
    QPDFObjectHandle Written(int number);
    // Has the book write object under number, which a piece took for it.
    void WriteAs(QPDFObjectHandle object, int number);
    // Once every piece was added, firstFree the first number none took: objects of the book's
    // own may be written as text from here on, each appended at once (object streams as they
    // fill) and referred to by its stand-in.
    void PiecesDone(int firstFree);
    TextWriter Text();
    // Its stand-ins, with shared the numbers the pieces took for the book's own objects.
    StandIns StandInsFor(std::map<std::string, int> shared);
    // Writes the rest of the book; firstFree is the first number no piece took, carried the
    // pieces' objects that wait for an object stream. Fails as WritePdfInto does, naming target;
    // sinkError is the sink's errno when it failed.
    Status Finish(int firstFree, PendingObjects carried, const QString &target, int sinkError = 0);

private:
    PdfFile &book_;
    bool objectStreams_;
    HeaderPatch patch_;
    std::unique_ptr<PdfStreamWriter> writer_;
    int pageTree_ = 0; // the number the page tree takes
    PdfStreamWriter::KnownNumbers known_;
    std::unordered_map<QPDFObjGen, StandIns::Page, ObjGenHash> standIns_;
    std::unordered_map<int, QPDFObjectHandle> written_; // the stand-ins, one for each number
    std::string header_;                                // the version the header says
    WrittenObjects text_; // objects written as text, until Finish appends them
    std::unique_ptr<ObjectLayout> textLayout_;
    bool started_ = false;
    bool failed_ = false;
};

// A sink into a file descriptor; error gets errno when it fails.
ByteSink FileSink(int fd, int &error);

// Tries each of a source's Flate streams once; those whose data cannot be decoded go into
// file.undecodable, with what is wrong.
void TryFlateStreams(PdfFile &file, const std::vector<QPDFObjectHandle> &flate);
// Names a source whose stream data cannot be decoded among the book's damaged sources, once.
void NameUndecodable(PdfFile &book, const QString &source, const QString &detail);

// What went wrong with a PDF, in words: "is encrypted with a password", ...
QString PdfFailureReason(const std::exception &e);

} // namespace qf
