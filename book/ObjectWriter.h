#pragma once

#include <qpdf/PDFVersion.hh>
#include <qpdf/QPDF.hh>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class QCryptographicHash;

namespace qf {

// Where written bytes go, in order: a file, memory, a counter. False when they could not be
// written; the write then stops.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Told of each stream whose data cannot be decoded, by its number in the PDF it is in, with what is
// wrong (empty when qpdf did not say); its data is written as it stands.
using UndecodableStream = std::function<void(QPDFObjGen stream, const std::string &detail)>;

// The number an object is written under, for references to it; 0 or less: written as null.
using NumberOf = std::function<int(QPDFObjectHandle object)>;

struct ObjGenHash {
    size_t operator()(const QPDFObjGen &og) const
    {
        // As unsigned: a damaged file's object may have a negative number.
        const auto number = static_cast<unsigned long long>(static_cast<unsigned>(og.getObj()));
        return std::hash<unsigned long long>()((number << 16) ^ static_cast<unsigned>(og.getGen()));
    }
};

// Writes an object of the book whose text is made at once, its references by the numbers it is
// given, and gives the book's stand-in for it: what the book holds a million of (the names of its
// destinations) never needs qpdf's objects.
using TextMaker = std::function<std::string(const NumberOf &numberOf)>;
using TextWriter = std::function<QPDFObjectHandle(const TextMaker &text)>;

// Whether a stream's dictionary names Flate as its one filter: such data is written as it stands.
bool IsFlate(QPDFObjectHandle dict);

struct ObjectWriterOptions {
    PDFVersion version{1, 3};
    // Every object but the streams packed into Flate-compressed object streams, found through a
    // cross-reference stream (PDF 1.5, which the header then says at least): a book a third
    // smaller. Otherwise a classic cross-reference table.
    bool objectStreams = false;
    UndecodableStream undecodable;
};

// Writes the PDF in one pass through sink: the header, every object the trailer's /Root and /Info
// reach, each once, numbered in the order reached, and the cross-reference data. A stream's data
// goes as it stands when it is Flate already or marked not to be filtered; other data qpdf can
// decode is compressed with Flate, as qpdf's own writer does. The same PDF gives the same bytes:
// the /ID is a digest of them. False when the sink failed; qpdf's exceptions (stream data that can
// no longer be read) pass through.
bool WriteObjects(QPDF &pdf, const ObjectWriterOptions &options, const ByteSink &sink);

// Where an object is in the file: at an offset, or in an object stream.
// 16 bytes: a book holds one for each of its objects, millions in a large one.
struct XrefEntry {
    int type = 0;        // 0 free, 1 at an offset, 2 in an object stream
    int index = 0;       // the place in the object stream
    long long where = 0; // the offset, or the object stream's number
};

// Objects laid out as bytes, to be appended to a file: entries of type 1 count from the start of
// bytes.
struct WrittenObjects {
    std::string bytes;
    std::vector<std::pair<int, XrefEntry>> entries; // by object number
};

// A stream's data as it is written: as it stands, or decoded and compressed as qpdf's writer
// would. qpdf's exception passes through when even the data as it stands cannot be read.
struct StreamBytes {
    std::string data;
    bool decoded = false;    // decoded here: the dictionary's filters no longer apply
    bool compressed = false; // then compressed here: the dictionary says Flate alone
};
StreamBytes WrittenStreamData(QPDFObjectHandle stream, const UndecodableStream &undecodable);
// A stream's dictionary as it is written with data, references by numberOf.
std::string StreamDictionaryText(QPDFObjectHandle stream, const StreamBytes &data,
                                 const NumberOf &numberOf);

// As many objects per object stream as qpdf puts in its own: a reader inflates a whole object
// stream to reach one of its objects.
inline constexpr size_t kObjectsPerStream = 100;

// Objects waiting for an object stream: their texts one after another, each with its number and
// where its text starts.
struct PendingObjects {
    std::string text;
    std::vector<std::pair<int, size_t>> index;
    // more's objects after these.
    void Append(PendingObjects &&more);
    // Takes the objects from the one at first on.
    PendingObjects TakeFrom(size_t first);
};

// Lays objects out as bytes under the numbers they are given: streams whole, the others whole
// or packed into object streams, which take their numbers from newNumber.
class ObjectLayout {
public:
    // Holding, objects wait for an object stream until they are flushed, however many.
    ObjectLayout(bool objectStreams, std::function<int()> newNumber, WrittenObjects &out,
                 bool holding = false);

    // A stream needs its data; references go by numberOf.
    void Add(QPDFObjectHandle object, int number, const NumberOf &numberOf,
             const StreamBytes *data = nullptr);
    // An object other than a stream, given as its text.
    void AddText(int number, std::string_view text);
    PendingObjects &Pending() { return pending_; }
    // Packs what waits into object streams; with fullOnly, only full ones, at most streams of
    // them, and the rest waits.
    void Flush(bool fullOnly = false, size_t streams = SIZE_MAX);

private:
    void Whole(int number, std::string_view text, const std::string *data);
    void Pack(size_t count);

    bool objectStreams_;
    bool holding_;
    std::function<int()> newNumber_;
    WrittenObjects &out_;
    PendingObjects pending_;
    std::string scratch_;
};

// A PDF written in one pass while it is made: pieces of objects already numbered are appended as
// they come, and the objects its trailer reaches follow at the end, numbered after them.
class PdfStreamWriter {
public:
    PdfStreamWriter(ObjectWriterOptions options, ByteSink sink);
    ~PdfStreamWriter();
    PdfStreamWriter(const PdfStreamWriter &) = delete;
    PdfStreamWriter &operator=(const PdfStreamWriter &) = delete;

    // Options given once numbers were reserved, before anything is written.
    void Configure(ObjectWriterOptions options) { options_ = std::move(options); }
    // The header; false when the sink failed.
    bool Begin();
    // count numbers no one else takes; the first of them.
    int ReserveNumbers(int count);
    // Every number below first taken: the pieces' numbers, some of them never used.
    void ReserveBelow(int first);
    bool Append(const WrittenObjects &piece);
    // The bytes are only counted: the /ID, of the same length, is not worked out from them.
    void CountOnly() { counted_ = true; }

    struct Numbered {
        int number = 0;
        bool written = false; // already in the file: only referred to
    };
    using KnownNumbers = std::unordered_map<QPDFObjGen, Numbered, ObjGenHash>;
    // Writes the objects pdf's trailer reaches, those known under their numbers, then the
    // cross-reference data and the trailer. False when the sink failed; qpdf's exceptions pass
    // through.
    // carried: objects of the pieces that wait for an object stream.
    bool Finish(QPDF &pdf, KnownNumbers known = {}, PendingObjects carried = {});

private:
    bool Send(std::string_view bytes);
    bool FinishTable(const std::string &ending);
    bool FinishStream(const std::string &ending);

    ObjectWriterOptions options_;
    ByteSink sink_;
    std::vector<XrefEntry> xref_;
    long long offset_ = 0;
    std::unique_ptr<QCryptographicHash> digest_;
    bool counted_ = false;
};

} // namespace qf
