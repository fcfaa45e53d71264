#include "book/ObjectWriter.h"

#include "book/RawDigest.h"

#include <libdeflate.h>
#include <qpdf/Pl_String.hh>

#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <deque>
#include <memory>
#include <unordered_map>

namespace qf {
namespace {

// As many objects per object stream as qpdf puts in its own: a reader inflates a whole object
// stream to reach one of its objects.
constexpr size_t kObjectsPerStream = 100;
// Bytes gathered before they go to the sink.
constexpr size_t kFlushAt = 1 << 20;

// Where an object is in the file: at an offset, or in an object stream.
struct XrefEntry {
    int type = 0;        // 0 free, 1 at an offset, 2 in an object stream
    long long where = 0; // the offset, or the object stream's number
    int index = 0;       // the place in the object stream
};

// Objects laid out as bytes: entries of type 1 count from the start of bytes.
struct WrittenObjects {
    std::string bytes;
    std::vector<std::pair<int, XrefEntry>> entries; // by object number
};

struct ObjGenHash {
    size_t operator()(const QPDFObjGen &og) const
    {
        return std::hash<long long>()((static_cast<long long>(og.getObj()) << 16) ^ og.getGen());
    }
};

// zlib data, as /FlateDecode takes it, at zlib's own default level; libdeflate makes it in a
// fraction of zlib's time and no larger.
std::string Deflate(std::string_view data)
{
    struct Compressor {
        libdeflate_compressor *c = libdeflate_alloc_compressor(6);
        ~Compressor() { libdeflate_free_compressor(c); }
    };
    thread_local Compressor compressor;
    if (!compressor.c)
        throw std::bad_alloc();
    std::string out(libdeflate_zlib_compress_bound(compressor.c, data.size()), '\0');
    out.resize(
        libdeflate_zlib_compress(compressor.c, data.data(), data.size(), out.data(), out.size()));
    return out;
}

// Whether a name is written as it is held: most keys need no escape at all.
bool IsPlainName(const std::string &name)
{
    for (size_t i = 1; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 33 || c > 126 || c == '#' ||
            std::string_view("()<>[]{}/%").find(char(c)) != std::string_view::npos)
            return false;
    }
    return !name.empty() && name[0] == '/';
}

// Objects as PDF text, each reference by the number numberOf gives.
class ObjectText {
public:
    explicit ObjectText(const std::function<int(QPDFObjectHandle)> &numberOf) : numberOf_(numberOf)
    {}

    // The object's own value, even when it is indirect.
    void Value(QPDFObjectHandle object, std::string &out)
    {
        switch (object.getTypeCode()) {
        case ::ot_array:
            out += "[ ";
            for (QPDFObjectHandle item : object.aitems()) {
                Item(item, out);
                out += ' ';
            }
            out += ']';
            break;
        case ::ot_dictionary:
            Dictionary(object, out, nullptr, false);
            break;
        case ::ot_integer:
            Number(object.getIntValue(), out);
            break;
        case ::ot_name:
            Name(object.getName(), out);
            break;
        case ::ot_boolean:
            out += object.getBoolValue() ? "true" : "false";
            break;
        case ::ot_null:
            out += "null";
            break;
        default:
            out += object.unparseResolved(); // a real or a string, indirect or not
        }
    }

    // A dictionary's entries, those with null values left out as a reader takes them, and the
    // notes the book's sources carry between threads; extra (a stream's /Length) last. A stream's
    // data compressed here says so in place of its own filters.
    void Dictionary(QPDFObjectHandle dict, std::string &out, const std::string *extra,
                    bool compressed)
    {
        out += "<< ";
        for (auto &[key, value] : dict.getDictAsMap()) {
            if (key == kRawDigestKey || (extra && key == "/Length") ||
                (compressed && (key == "/Filter" || key == "/DecodeParms")) || value.isNull())
                continue;
            Name(key, out);
            out += ' ';
            Item(value, out);
            out += ' ';
        }
        if (compressed)
            out += "/Filter /FlateDecode ";
        if (extra)
            out += *extra;
        out += ">>";
    }

    // A stream's dictionary as written, with the data that goes with it.
    void Stream(QPDFObjectHandle stream, const UndecodableStream &undecodable, std::string &dict,
                std::string &data)
    {
        bool compressed = false;
        data = StreamData(stream, stream.getDict(), undecodable, compressed);
        const std::string length = "/Length " + std::to_string(data.size()) + ' ';
        Dictionary(stream.getDict(), dict, &length, compressed);
    }

private:
    // An object inside another: indirect ones by reference.
    void Item(QPDFObjectHandle object, std::string &out)
    {
        if (object.isIndirect()) {
            Number(numberOf_(object), out);
            out += " 0 R";
            return;
        }
        Value(object, out);
    }

    static void Number(long long value, std::string &out)
    {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, written.ptr);
    }

    static void Name(const std::string &name, std::string &out)
    {
        if (IsPlainName(name))
            out += name;
        else
            out += QPDFObjectHandle::newName(name).unparse();
    }

    // Its data as it stands, or decoded and compressed as qpdf's writer would.
    static std::string StreamData(QPDFObjectHandle stream, QPDFObjectHandle dict,
                                  const UndecodableStream &undecodable, bool &compressed)
    {
        std::string data;
        compressed = false;
        if (stream.getFilterOnWrite() && !IsFlate(dict)) {
            const bool metadata = dict.getKey("/Type").isNameAndEquals("/Metadata");
            Pl_String into("stream", nullptr, data);
            bool attempted = false;
            bool piped = false;
            std::string detail;
            try {
                piped = stream.pipeStreamData(&into, &attempted, metadata ? 0 : qpdf_ef_compress,
                                              qpdf_dl_generalized, false, true);
            } catch (const std::exception &e) {
                detail = e.what();
            }
            if (piped) {
                compressed = attempted; // else filters qpdf leaves alone: as it stands
                return data;
            }
            if (undecodable)
                undecodable(stream.getObjGen(), detail);
            data.clear();
        }
        Pl_String into("stream", nullptr, data);
        stream.pipeStreamData(&into, nullptr, 0, qpdf_dl_none, false, false);
        return data;
    }

    const std::function<int(QPDFObjectHandle)> &numberOf_;
};

// Objects laid out as bytes: whole, or packed into object streams, each with its entry.
class Layout {
public:
    Layout(bool objectStreams, const std::function<int()> &newNumber, WrittenObjects &out)
        : objectStreams_(objectStreams), newNumber_(newNumber), out_(out)
    {}

    void Object(int number, const std::string &text)
    {
        if (!objectStreams_)
            return Whole(number, text, nullptr);
        packedIndex_.push_back({number, packed_.size()});
        packed_ += text;
        packed_ += '\n';
        if (packedIndex_.size() >= kObjectsPerStream)
            FlushPacked();
    }

    // An object written whole; with data, a stream whose dictionary is text.
    void Whole(int number, std::string_view text, const std::string *data)
    {
        std::string &bytes = out_.bytes;
        out_.entries.push_back({number, {1, static_cast<long long>(bytes.size()), 0}});
        bytes += std::to_string(number);
        bytes += " 0 obj\n";
        bytes += text;
        if (data) {
            bytes += "\nstream\n";
            bytes += *data;
            bytes += "\nendstream";
        }
        bytes += "\nendobj\n";
    }

    void FlushPacked()
    {
        if (packedIndex_.empty())
            return;
        const int number = newNumber_();
        std::string head;
        for (const auto &[object, at] : packedIndex_)
            head += std::to_string(object) + ' ' + std::to_string(at) + ' ';
        for (size_t i = 0; i < packedIndex_.size(); ++i)
            out_.entries.push_back({packedIndex_[i].first, {2, number, int(i)}});
        const std::string data = Deflate(head + packed_);
        const std::string dict = "<< /Type /ObjStm /N " + std::to_string(packedIndex_.size()) +
                                 " /First " + std::to_string(head.size()) +
                                 " /Filter /FlateDecode /Length " + std::to_string(data.size()) +
                                 " >>";
        packed_.clear();
        packedIndex_.clear();
        Whole(number, dict, &data);
    }

private:
    bool objectStreams_;
    const std::function<int()> &newNumber_;
    WrittenObjects &out_;
    std::string packed_;                              // the object stream being filled
    std::vector<std::pair<int, size_t>> packedIndex_; // its objects and their offsets in it
};

void WriteOne(QPDFObjectHandle object, int number, ObjectText &text, Layout &layout,
              const UndecodableStream &undecodable, std::string &scratch)
{
    scratch.clear();
    if (object.isStream()) {
        std::string data;
        text.Stream(object, undecodable, scratch, data);
        layout.Whole(number, scratch, &data);
    } else {
        text.Value(object, scratch);
        layout.Object(number, scratch);
    }
}

std::string Header(const ObjectWriterOptions &options)
{
    PDFVersion version = options.version;
    if (options.objectStreams)
        version.updateIfGreater(PDFVersion(1, 5));
    std::string number;
    int extension = 0;
    version.getVersion(number, extension);
    return "%PDF-" + number + "\n%\xbf\xf7\xa2\xfe\n";
}

int BytesFor(long long value)
{
    int width = 1;
    while (width < 8 && (value >> (8 * width)) != 0)
        ++width;
    return width;
}

// A PDF written in one pass: the header, then every object the trailer reaches, numbered in the
// order reached, and the cross-reference data; the /ID a digest of all the bytes before it.
class PdfFileWriter {
public:
    PdfFileWriter(ObjectWriterOptions options, ByteSink sink);
    bool Begin();
    bool Finish(QPDF &pdf);

private:
    int ReserveNumbers(int count);
    bool Append(const WrittenObjects &piece);
    bool Send(std::string_view bytes);

    ObjectWriterOptions options_;
    ByteSink sink_;
    std::vector<XrefEntry> xref_;
    long long offset_ = 0;
    std::unique_ptr<QCryptographicHash> digest_;
};

PdfFileWriter::PdfFileWriter(ObjectWriterOptions options, ByteSink sink)
    : options_(std::move(options)), sink_(std::move(sink)), xref_(1), // number 0 is always free
      digest_(std::make_unique<QCryptographicHash>(QCryptographicHash::Md5))
{}

bool PdfFileWriter::Send(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    digest_->addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    offset_ += static_cast<long long>(bytes.size());
    return sink_(bytes);
}

bool PdfFileWriter::Begin()
{
    return Send(Header(options_));
}

int PdfFileWriter::ReserveNumbers(int count)
{
    const int first = int(xref_.size());
    xref_.resize(xref_.size() + size_t(std::max(count, 0)));
    return first;
}

bool PdfFileWriter::Append(const WrittenObjects &piece)
{
    for (const auto &[number, entry] : piece.entries) {
        XrefEntry &at = xref_.at(size_t(number));
        at = entry;
        if (entry.type == 1)
            at.where += offset_;
    }
    return Send(piece.bytes);
}

bool PdfFileWriter::Finish(QPDF &pdf)
{
    std::unordered_map<QPDFObjGen, int, ObjGenHash> numbers;
    std::deque<QPDFObjectHandle> queue;
    const std::function<int()> newNumber = [&] { return ReserveNumbers(1); };
    const std::function<int(QPDFObjectHandle)> numberOf = [&](QPDFObjectHandle object) {
        const QPDFObjGen og = object.getObjGen();
        auto [at, added] = numbers.try_emplace(og, 0);
        if (added) {
            at->second = newNumber();
            queue.push_back(object);
        }
        return at->second;
    };
    QPDFObjectHandle trailer = pdf.getTrailer();
    std::string ending = " /Root " + std::to_string(numberOf(trailer.getKey("/Root"))) + " 0 R";
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (info.isIndirect())
        ending += " /Info " + std::to_string(numberOf(info)) + " 0 R";

    WrittenObjects written;
    ObjectText text(numberOf);
    Layout layout(options_.objectStreams, newNumber, written);
    std::string scratch;
    const auto flush = [&] {
        const bool sent = Append(written);
        written.bytes.clear();
        written.entries.clear();
        return sent;
    };
    while (!queue.empty()) {
        QPDFObjectHandle object = queue.front();
        queue.pop_front();
        WriteOne(object, numbers.at(object.getObjGen()), text, layout, options_.undecodable,
                 scratch);
        if (written.bytes.size() >= kFlushAt && !flush())
            return false;
    }
    layout.FlushPacked();
    if (!flush())
        return false;

    if (!options_.objectStreams) {
        const std::string hex = digest_->result().toHex().toStdString();
        const long long start = offset_;
        std::string table = "xref\n0 " + std::to_string(xref_.size()) + "\n";
        char line[21];
        for (size_t i = 0; i < xref_.size(); ++i) {
            if (xref_[i].type == 1)
                std::snprintf(line, sizeof line, "%010lld %05d n \n", xref_[i].where, 0);
            else
                std::snprintf(line, sizeof line, "%010d %05d f \n", 0, i == 0 ? 65535 : 0);
            table += line;
        }
        table += "trailer << /Size " + std::to_string(xref_.size()) + ending + " /ID [ <" + hex +
                 "> <" + hex + "> ] >>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
        return Send(table);
    }
    const int number = ReserveNumbers(1);
    xref_.at(size_t(number)) = {1, offset_, 0};
    long long largest = 0;
    int largestIndex = 0;
    for (const XrefEntry &entry : xref_) {
        largest = std::max(largest, entry.where);
        largestIndex = std::max(largestIndex, entry.index);
    }
    const int width = BytesFor(largest), indexWidth = BytesFor(largestIndex);
    const size_t columns = size_t(1 + width + indexWidth);
    // Each row as the difference from the one above (PNG's Up predictor): the offsets grow
    // slowly, so the rows are mostly zeros and compress to little.
    std::string rows, row(columns, '\0'), above(columns, '\0');
    rows.reserve(xref_.size() * (columns + 1));
    for (const XrefEntry &entry : xref_) {
        row[0] = char(entry.type);
        for (int b = 0; b < width; ++b)
            row[size_t(1 + b)] = char((entry.where >> (8 * (width - 1 - b))) & 0xff);
        for (int b = 0; b < indexWidth; ++b)
            row[size_t(1 + width + b)] = char((entry.index >> (8 * (indexWidth - 1 - b))) & 0xff);
        rows += char(2);
        for (size_t c = 0; c < columns; ++c)
            rows += char(row[c] - above[c]);
        std::swap(row, above);
    }
    const std::string hex = digest_->result().toHex().toStdString();
    const long long start = offset_;
    const std::string data = Deflate(rows);
    std::string last = std::to_string(number) + " 0 obj\n<< /Type /XRef /Size " +
                       std::to_string(xref_.size()) + " /W [ 1 " + std::to_string(width) + ' ' +
                       std::to_string(indexWidth) + " ]" + ending + " /ID [ <" + hex + "> <" + hex +
                       "> ] /DecodeParms << /Columns " + std::to_string(columns) +
                       " /Predictor 12 >> /Filter /FlateDecode /Length " +
                       std::to_string(data.size()) + " >>\nstream\n";
    last += data;
    last += "\nendstream\nendobj\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
    return Send(last);
}

} // namespace

bool IsFlate(QPDFObjectHandle dict)
{
    QPDFObjectHandle filter = dict.getKey("/Filter");
    return filter.isName() && (filter.getName() == "/FlateDecode" || filter.getName() == "/Fl");
}

bool WriteObjects(QPDF &pdf, const ObjectWriterOptions &options, const ByteSink &sink)
{
    PdfFileWriter writer(options, sink);
    return writer.Begin() && writer.Finish(pdf);
}

} // namespace qf
