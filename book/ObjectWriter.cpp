#include "book/ObjectWriter.h"

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

// Bytes gathered before they go to the sink.
constexpr size_t kFlushAt = 1 << 20;

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
    explicit ObjectText(const NumberOf &numberOf) : numberOf_(numberOf) {}

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
            Dictionary(object, out);
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
    // data decoded here loses its own filters, and says Flate when it was compressed again.
    void Dictionary(QPDFObjectHandle dict, std::string &out, const std::string *extra = nullptr,
                    bool decoded = false, bool compressed = false)
    {
        out += "<< ";
        for (auto &[key, value] : dict.getDictAsMap()) {
            if ((extra && key == "/Length") ||
                (decoded && (key == "/Filter" || key == "/DecodeParms")) || value.isNull())
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

    // A stream's dictionary as written with its data.
    void StreamDictionary(QPDFObjectHandle stream, const StreamBytes &data, std::string &dict)
    {
        const std::string length = "/Length " + std::to_string(data.data.size()) + ' ';
        Dictionary(stream.getDict(), dict, &length, data.decoded, data.compressed);
    }

private:
    // An object inside another: indirect ones by reference, or null where there is none.
    void Item(QPDFObjectHandle object, std::string &out)
    {
        if (object.isIndirect()) {
            const int number = numberOf_(object);
            if (number <= 0) {
                out += "null";
                return;
            }
            Number(number, out);
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

    const NumberOf &numberOf_;
};

} // namespace

StreamBytes WrittenStreamData(QPDFObjectHandle stream, const UndecodableStream &undecodable)
{
    StreamBytes out;
    QPDFObjectHandle dict = stream.getDict();
    if (stream.getFilterOnWrite() && !IsFlate(dict)) {
        const bool metadata = dict.getKey("/Type").isNameAndEquals("/Metadata");
        Pl_String into("stream", nullptr, out.data);
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
            // Not attempted: filters qpdf leaves alone, so the data is as it stands. Metadata
            // stays plain text for the tools that look for it.
            out.decoded = attempted;
            out.compressed = attempted && !metadata;
            return out;
        }
        if (undecodable)
            undecodable(stream.getObjGen(), detail);
        out.data.clear();
    }
    Pl_String into("stream", nullptr, out.data);
    stream.pipeStreamData(&into, nullptr, 0, qpdf_dl_none, false, false);
    return out;
}

std::string StreamDictionaryText(QPDFObjectHandle stream, const StreamBytes &data,
                                 const NumberOf &numberOf)
{
    std::string text;
    ObjectText(numberOf).StreamDictionary(stream, data, text);
    return text;
}

void PendingObjects::Append(PendingObjects &&more)
{
    if (index.empty()) {
        *this = std::move(more);
        return;
    }
    const size_t shift = text.size();
    for (const auto &[number, at] : more.index)
        index.push_back({number, at + shift});
    text += more.text;
}

PendingObjects PendingObjects::TakeFrom(size_t first)
{
    PendingObjects rest;
    if (first >= index.size())
        return rest;
    const size_t start = index[first].second;
    rest.text = text.substr(start);
    for (size_t i = first; i < index.size(); ++i)
        rest.index.push_back({index[i].first, index[i].second - start});
    text.resize(start);
    index.resize(first);
    return rest;
}

ObjectLayout::ObjectLayout(bool objectStreams, std::function<int()> newNumber, WrittenObjects &out,
                           bool holding)
    : objectStreams_(objectStreams), holding_(holding), newNumber_(std::move(newNumber)), out_(out)
{}

void ObjectLayout::Add(QPDFObjectHandle object, int number, const NumberOf &numberOf,
                       const StreamBytes *data)
{
    ObjectText text(numberOf);
    scratch_.clear();
    if (object.isStream()) {
        StreamBytes own;
        if (!data) {
            own = WrittenStreamData(object, nullptr);
            data = &own;
        }
        text.StreamDictionary(object, *data, scratch_);
        Whole(number, scratch_, &data->data);
        return;
    }
    text.Value(object, scratch_);
    AddText(number, scratch_);
}

void ObjectLayout::AddText(int number, std::string_view text)
{
    if (!objectStreams_)
        return Whole(number, text, nullptr);
    pending_.index.push_back({number, pending_.text.size()});
    pending_.text += text;
    pending_.text += '\n';
    if (!holding_ && pending_.index.size() >= kObjectsPerStream)
        Flush();
}

void ObjectLayout::Whole(int number, std::string_view text, const std::string *data)
{
    std::string &bytes = out_.bytes;
    out_.entries.push_back({number, {1, 0, static_cast<long long>(bytes.size())}});
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

void ObjectLayout::Flush(bool fullOnly, size_t streams)
{
    for (; streams > 0 && !pending_.index.empty(); --streams) {
        if (fullOnly && pending_.index.size() < kObjectsPerStream)
            return;
        Pack(std::min(pending_.index.size(), kObjectsPerStream));
    }
}

// Packs the first count objects that wait into an object stream.
void ObjectLayout::Pack(size_t count)
{
    std::vector<std::pair<int, size_t>> &index = pending_.index;
    const int number = newNumber_();
    const size_t end = count < index.size() ? index[count].second : pending_.text.size();
    std::string head;
    for (size_t i = 0; i < count; ++i) {
        head += std::to_string(index[i].first) + ' ' + std::to_string(index[i].second) + ' ';
        out_.entries.push_back({index[i].first, {2, int(i), number}});
    }
    head.append(pending_.text, 0, end);
    const std::string data = Deflate(head);
    const std::string dict = "<< /Type /ObjStm /N " + std::to_string(count) + " /First " +
                             std::to_string(head.size() - end) + " /Filter /FlateDecode /Length " +
                             std::to_string(data.size()) + " >>";
    pending_.text.erase(0, end);
    index.erase(index.begin(), index.begin() + long(count));
    for (auto &[object, at] : index)
        at -= end;
    Whole(number, dict, &data);
}

namespace {

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

} // namespace

PdfStreamWriter::PdfStreamWriter(ObjectWriterOptions options, ByteSink sink)
    : options_(std::move(options)), sink_(std::move(sink)), xref_(1), // number 0 is always free
      digest_(std::make_unique<QCryptographicHash>(QCryptographicHash::Md5))
{}

PdfStreamWriter::~PdfStreamWriter() = default;

bool PdfStreamWriter::Send(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    if (!counted_)
        digest_->addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    offset_ += static_cast<long long>(bytes.size());
    return sink_(bytes);
}

bool PdfStreamWriter::Begin()
{
    return Send(Header(options_));
}

int PdfStreamWriter::ReserveNumbers(int count)
{
    const int first = int(xref_.size());
    xref_.resize(xref_.size() + size_t(std::max(count, 0)));
    return first;
}

void PdfStreamWriter::ReserveBelow(int first)
{
    if (first > 0 && size_t(first) > xref_.size())
        xref_.resize(size_t(first));
}

bool PdfStreamWriter::Append(const WrittenObjects &piece)
{
    for (const auto &[number, entry] : piece.entries) {
        if (size_t(number) >= xref_.size())
            xref_.resize(size_t(number) + 1);
        XrefEntry &at = xref_[size_t(number)];
        at = entry;
        if (entry.type == 1)
            at.where += offset_;
    }
    return Send(piece.bytes);
}

bool PdfStreamWriter::Finish(QPDF &pdf, KnownNumbers known, PendingObjects carried)
{
    std::deque<QPDFObjectHandle> queue;
    for (const auto &[og, numbered] : known)
        if (!numbered.written)
            queue.push_back(pdf.getObjectByObjGen(og));
    std::sort(queue.begin(), queue.end(), [&](QPDFObjectHandle a, QPDFObjectHandle b) {
        return known.at(a.getObjGen()).number < known.at(b.getObjGen()).number;
    });
    const std::function<int()> newNumber = [&] { return ReserveNumbers(1); };
    const NumberOf numberOf = [&](QPDFObjectHandle object) {
        auto [at, added] = known.try_emplace(object.getObjGen(), Numbered{});
        if (added) {
            at->second.number = newNumber();
            queue.push_back(object);
        }
        return at->second.number;
    };
    QPDFObjectHandle trailer = pdf.getTrailer();
    std::string ending = " /Root " + std::to_string(numberOf(trailer.getKey("/Root"))) + " 0 R";
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (info.isIndirect())
        ending += " /Info " + std::to_string(numberOf(info)) + " 0 R";

    WrittenObjects written;
    ObjectLayout layout(options_.objectStreams, newNumber, written);
    layout.Pending() = std::move(carried);
    const auto flush = [&] {
        const bool sent = Append(written);
        written.bytes.clear();
        written.entries.clear();
        return sent;
    };
    while (!queue.empty()) {
        QPDFObjectHandle object = queue.front();
        queue.pop_front();
        StreamBytes data;
        if (object.isStream())
            data = WrittenStreamData(object, options_.undecodable);
        layout.Add(object, known.at(object.getObjGen()).number, numberOf, &data);
        if (written.bytes.size() >= kFlushAt && !flush())
            return false;
    }
    layout.Flush();
    if (!flush())
        return false;
    return options_.objectStreams ? FinishStream(ending) : FinishTable(ending);
}

bool PdfStreamWriter::FinishTable(const std::string &ending)
{
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

bool PdfStreamWriter::FinishStream(const std::string &ending)
{
    const int number = ReserveNumbers(1);
    xref_.at(size_t(number)) = {1, 0, offset_};
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

bool IsFlate(QPDFObjectHandle dict)
{
    QPDFObjectHandle filter = dict.getKey("/Filter");
    return filter.isName() && (filter.getName() == "/FlateDecode" || filter.getName() == "/Fl");
}

bool WriteObjects(QPDF &pdf, const ObjectWriterOptions &options, const ByteSink &sink)
{
    PdfStreamWriter writer(options, sink);
    return writer.Begin() && writer.Finish(pdf);
}

} // namespace qf
