#pragma once

#include <qpdf/PDFVersion.hh>
#include <qpdf/QPDF.hh>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QCryptographicHash;

namespace qf {

// Where written bytes go, in order: a file, memory, a counter. False when they could not be
// written; the write then stops.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Told of each stream whose data cannot be decoded, by its number in the PDF it is in, with what is
// wrong (empty when qpdf did not say); its data is written as it stands.
using UndecodableStream = std::function<void(QPDFObjGen stream, const std::string &detail)>;

// Where an object is in the file: at an offset, or in an object stream.
struct XrefEntry {
    int type = 0;        // 0 free, 1 at an offset, 2 in an object stream
    long long where = 0; // the offset, or the object stream's number
    int index = 0;       // the place in the object stream
};

// Objects written out to their final bytes, apart from the file they will be part of: offsets of
// entries of type 1 count from the start of bytes.
struct WrittenObjects {
    std::string bytes;
    std::vector<std::pair<int, XrefEntry>> entries; // by object number
};

// Writes objects, and no other, numbered by numberOf (which gives the number of any object they
// refer to as well), into out: streams whole, the rest packed into object streams numbered by
// newNumber when objectStreams. A stream's data goes as it stands when it is Flate already or
// marked not to be filtered; other data qpdf can decode is compressed with Flate, as qpdf's own
// writer does. May run on any thread that holds the objects' PDF alone.
void WriteObjectsInto(const std::vector<QPDFObjectHandle> &objects,
                      const std::function<int(QPDFObjectHandle)> &numberOf,
                      const std::function<int()> &newNumber, bool objectStreams,
                      const UndecodableStream &undecodable, WrittenObjects &out);

struct ObjectWriterOptions {
    PDFVersion version{1, 3};
    // Every object but the streams packed into Flate-compressed object streams, found through a
    // cross-reference stream (PDF 1.5, which the header then says at least): a book a third
    // smaller. Otherwise a classic cross-reference table.
    bool objectStreams = false;
    UndecodableStream undecodable;
};

// A PDF written in one pass: the header, pieces of objects written apart as they come, then every
// object the PDF's trailer reaches that is not written yet, numbered in the order reached, and the
// cross-reference data. The same input gives the same bytes: the /ID is a digest of them.
class PdfFileWriter {
public:
    PdfFileWriter(ObjectWriterOptions options, ByteSink sink);
    ~PdfFileWriter();
    PdfFileWriter(const PdfFileWriter &) = delete;
    PdfFileWriter &operator=(const PdfFileWriter &) = delete;

    bool Begin();
    // count numbers of the file's own, the first of them returned, for a piece written apart.
    int ReserveNumbers(int count);
    // A piece whose objects were numbered in numbers reserved here.
    bool Append(const WrittenObjects &piece);
    // An object of the PDF given to Finish takes number: written there when write, else a stand-in
    // for an object of a piece, never written itself.
    void NumberAs(QPDFObjGen object, int number, bool write);
    // False when the sink failed; qpdf's exceptions (stream data that can no longer be read) pass
    // through.
    bool Finish(QPDF &pdf);
    long long Size() const { return offset_; }

private:
    bool Send(std::string_view bytes);

    ObjectWriterOptions options_;
    ByteSink sink_;
    std::vector<XrefEntry> xref_;
    std::map<QPDFObjGen, std::pair<int, bool>> given_; // NumberAs's
    long long offset_ = 0;
    std::unique_ptr<QCryptographicHash> digest_;
};

// The whole PDF in one pass through sink, nothing written apart.
bool WriteObjects(QPDF &pdf, const ObjectWriterOptions &options, const ByteSink &sink);

} // namespace qf
