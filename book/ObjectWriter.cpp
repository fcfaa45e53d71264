#include "book/ObjectWriter.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>

#include <QCryptographicHash>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <unordered_map>
#include <vector>

namespace qf {
namespace {

// As many objects per object stream as qpdf puts in its own: a reader inflates a whole object
// stream to reach one of its objects.
constexpr size_t kObjectsPerStream = 100;
// Bytes gathered before they go to the sink.
constexpr size_t kFlushAt = 1 << 20;

struct ObjGenHash {
    size_t operator()(const QPDFObjGen &og) const
    {
        return std::hash<long long>()((static_cast<long long>(og.getObj()) << 16) ^ og.getGen());
    }
};

std::string Deflate(std::string_view data)
{
    std::string out;
    Pl_String into("deflated", nullptr, out);
    Pl_Flate flate("deflate", &into, Pl_Flate::a_deflate);
    // One write: the whole is compressed in a few calls, not a piece at a time.
    flate.write(reinterpret_cast<const unsigned char *>(data.data()), data.size());
    flate.finish();
    return out;
}

bool IsFlate(QPDFObjectHandle dict)
{
    QPDFObjectHandle filter = dict.getKey("/Filter");
    return filter.isName() && (filter.getName() == "/FlateDecode" || filter.getName() == "/Fl");
}

// A name's characters as a PDF writes them: most keys need no escape at all.
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

class Writer {
public:
    Writer(QPDF &pdf, const ObjectWriterOptions &options, const ByteSink &sink)
        : pdf_(pdf), options_(options), sink_(sink)
    {}

    bool Run()
    {
        PDFVersion version = options_.version;
        if (options_.objectStreams)
            version.updateIfGreater(PDFVersion(1, 5));
        std::string number;
        int extension = 0;
        version.getVersion(number, extension);
        const std::string header = "%PDF-" + number + "\n%\xbf\xf7\xa2\xfe\n";
        if (!Emit(header))
            return false;
        QPDFObjectHandle trailer = pdf_.getTrailer();
        const std::string root = Reference(trailer.getKey("/Root"));
        QPDFObjectHandle info = trailer.getKey("/Info");
        const std::string infoRef = info.isIndirect() ? Reference(info) : std::string();
        while (!queue_.empty()) {
            QPDFObjectHandle object = queue_.front();
            queue_.pop_front();
            if (!(object.isStream() ? WriteStream(object) : WriteObject(object)))
                return false;
        }
        if (!FlushObjectStream())
            return false;
        std::string ending = " /Root " + root;
        if (!infoRef.empty())
            ending += " /Info " + infoRef;
        return options_.objectStreams ? WriteXrefStream(ending) : WriteXrefTable(ending);
    }

private:
    struct Entry {
        int type = 0;        // 0 free, 1 at an offset, 2 in an object stream
        long long where = 0; // the offset, or the object stream's number
        int index = 0;       // the place in the object stream
    };

    // The number an indirect object has in the PDF written, given the first time it is reached,
    // when it is queued to be written.
    int NumberOf(QPDFObjectHandle object)
    {
        const QPDFObjGen og = object.getObjGen();
        auto [at, added] = numbers_.try_emplace(og, 0);
        if (added) {
            at->second = NewNumber();
            queue_.push_back(object);
        }
        return at->second;
    }

    int NewNumber()
    {
        xref_.emplace_back();
        return int(xref_.size()) - 1;
    }

    std::string Reference(QPDFObjectHandle object)
    {
        return std::to_string(NumberOf(object)) + " 0 R";
    }

    const std::string &Key(const std::string &key)
    {
        auto [at, added] = keys_.try_emplace(key);
        if (added)
            at->second = IsPlainName(key) ? key : QPDFObjectHandle::newName(key).unparse();
        return at->second;
    }

    // An object inside another: indirect ones by reference.
    void Serialize(QPDFObjectHandle object, std::string &out)
    {
        if (object.isIndirect()) {
            out += std::to_string(NumberOf(object));
            out += " 0 R";
            return;
        }
        SerializeValue(object, out);
    }

    // The object's own value, even when it is indirect.
    void SerializeValue(QPDFObjectHandle object, std::string &out)
    {
        switch (object.getTypeCode()) {
        case ::ot_array: {
            out += "[ ";
            for (QPDFObjectHandle item : object.aitems()) {
                Serialize(item, out);
                out += ' ';
            }
            out += ']';
            break;
        }
        case ::ot_dictionary:
            SerializeDictionary(object, out, nullptr);
            break;
        default:
            out += object.unparseResolved(); // a scalar: its value, indirect or not
        }
    }

    // A dictionary's entries, those with null values left out as a reader takes them; extra (the
    // stream's /Length) last.
    void SerializeDictionary(QPDFObjectHandle dict, std::string &out, const std::string *extra)
    {
        out += "<< ";
        for (auto &[key, value] : dict.ditems()) {
            if (value.isNull())
                continue;
            out += Key(key);
            out += ' ';
            Serialize(value, out);
            out += ' ';
        }
        if (extra)
            out += *extra;
        out += ">>";
    }

    bool WriteObject(QPDFObjectHandle object)
    {
        const int number = numbers_.at(object.getObjGen());
        text_.clear();
        SerializeValue(object, text_);
        if (!options_.objectStreams)
            return WriteWhole(number, text_);
        packedIndex_.push_back({number, packed_.size()});
        packed_ += text_;
        packed_ += '\n';
        return packedIndex_.size() < kObjectsPerStream || FlushObjectStream();
    }

    // Its data as it stands, or decoded and compressed as qpdf's writer would; dict gets the
    // filter the data has.
    std::string StreamData(QPDFObjectHandle stream, QPDFObjectHandle dict, bool &compressed)
    {
        std::string data;
        compressed = false;
        const bool metadata = dict.getKey("/Type").isNameAndEquals("/Metadata");
        if (stream.getFilterOnWrite() && !IsFlate(dict)) {
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
            if (piped && attempted) {
                compressed = true;
                return data;
            }
            if (piped)
                return data; // filters qpdf leaves alone: as it stands
            if (options_.undecodable)
                options_.undecodable(stream.getObjGen(), detail);
            data.clear();
        }
        Pl_String into("stream", nullptr, data);
        stream.pipeStreamData(&into, nullptr, 0, qpdf_dl_none, false, false);
        return data;
    }

    bool WriteStream(QPDFObjectHandle stream)
    {
        const int number = numbers_.at(stream.getObjGen());
        QPDFObjectHandle dict = stream.getDict();
        bool compressed = false;
        const std::string data = StreamData(stream, dict, compressed);
        QPDFObjectHandle written = dict;
        if (compressed || dict.hasKey("/Length")) {
            written = dict.shallowCopy();
            written.removeKey("/Length");
            if (compressed) {
                written.replaceKey("/Filter", QPDFObjectHandle::newName("/FlateDecode"));
                written.removeKey("/DecodeParms");
            }
        }
        const std::string length = "/Length " + std::to_string(data.size()) + ' ';
        text_.clear();
        SerializeDictionary(written, text_, &length);
        return WriteWhole(number, text_, &data);
    }

    // An object written whole at the current offset; with data, a stream whose dictionary is
    // text.
    bool WriteWhole(int number, std::string_view text, const std::string *data = nullptr)
    {
        xref_.at(size_t(number)) = {1, offset_ + static_cast<long long>(buffer_.size()), 0};
        buffer_ += std::to_string(number);
        buffer_ += " 0 obj\n";
        buffer_ += text;
        if (data) {
            buffer_ += "\nstream\n";
            buffer_ += *data;
            buffer_ += "\nendstream";
        }
        buffer_ += "\nendobj\n";
        return buffer_.size() < kFlushAt || Flush();
    }

    bool FlushObjectStream()
    {
        if (packedIndex_.empty())
            return true;
        const int number = NewNumber();
        std::string head;
        for (const auto &[object, at] : packedIndex_)
            head += std::to_string(object) + ' ' + std::to_string(at) + ' ';
        for (size_t i = 0; i < packedIndex_.size(); ++i)
            xref_.at(size_t(packedIndex_[i].first)) = {2, number, int(i)};
        const std::string data = Deflate(head + packed_);
        const std::string dict = "<< /Type /ObjStm /N " + std::to_string(packedIndex_.size()) +
                                 " /First " + std::to_string(head.size()) +
                                 " /Filter /FlateDecode /Length " + std::to_string(data.size()) +
                                 " >>";
        packed_.clear();
        packedIndex_.clear();
        return WriteWhole(number, dict, &data);
    }

    bool Emit(std::string_view bytes)
    {
        buffer_ += bytes;
        return Flush();
    }

    bool Flush()
    {
        if (buffer_.empty())
            return true;
        digest_.addData(QByteArrayView(buffer_.data(), qsizetype(buffer_.size())));
        offset_ += static_cast<long long>(buffer_.size());
        const bool sent = sink_(buffer_);
        buffer_.clear();
        return sent;
    }

    std::string Identifier()
    {
        if (!Flush())
            return std::string();
        const std::string hex = digest_.result().toHex().toStdString();
        return " /ID [ <" + hex + "> <" + hex + "> ]";
    }

    bool WriteXrefTable(const std::string &ending)
    {
        const std::string id = Identifier();
        if (id.empty())
            return false;
        const long long start = offset_;
        std::string table = "xref\n0 " + std::to_string(xref_.size()) + "\n";
        char line[21];
        for (size_t i = 0; i < xref_.size(); ++i) {
            if (i == 0)
                std::snprintf(line, sizeof line, "%010d %05d f \n", 0, 65535);
            else
                std::snprintf(line, sizeof line, "%010lld %05d n \n", xref_[i].where, 0);
            table += line;
        }
        table += "trailer << /Size " + std::to_string(xref_.size()) + ending + id +
                 " >>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
        return Emit(table);
    }

    bool WriteXrefStream(const std::string &ending)
    {
        const int number = NewNumber();
        if (!Flush())
            return false;
        xref_.at(size_t(number)) = {1, offset_, 0};
        long long largest = 0;
        int largestIndex = 0;
        for (const Entry &entry : xref_) {
            largest = std::max(largest, entry.where);
            largestIndex = std::max(largestIndex, entry.index);
        }
        const auto bytesFor = [](long long value) {
            int width = 1;
            while (width < 8 && (value >> (8 * width)) != 0)
                ++width;
            return width;
        };
        const int width = bytesFor(largest), indexWidth = bytesFor(largestIndex);
        const size_t columns = size_t(1 + width + indexWidth);
        // Each row as the difference from the one above (PNG's Up predictor): the offsets grow
        // slowly, so the rows are mostly zeros and compress to little.
        std::string rows, row(columns, '\0'), above(columns, '\0');
        rows.reserve(xref_.size() * (columns + 1));
        for (const Entry &entry : xref_) {
            row[0] = char(entry.type);
            for (int b = 0; b < width; ++b)
                row[size_t(1 + b)] = char((entry.where >> (8 * (width - 1 - b))) & 0xff);
            for (int b = 0; b < indexWidth; ++b)
                row[size_t(1 + width + b)] =
                    char((entry.index >> (8 * (indexWidth - 1 - b))) & 0xff);
            rows += char(2);
            for (size_t c = 0; c < columns; ++c)
                rows += char(row[c] - above[c]);
            std::swap(row, above);
        }
        const std::string id = Identifier();
        if (id.empty())
            return false;
        const long long start = offset_;
        const std::string data = Deflate(rows);
        std::string text = std::to_string(number) + " 0 obj\n<< /Type /XRef /Size " +
                           std::to_string(xref_.size()) + " /W [ 1 " + std::to_string(width) + ' ' +
                           std::to_string(indexWidth) + " ]" + ending + id +
                           " /DecodeParms << /Columns " + std::to_string(columns) +
                           " /Predictor 12 >> /Filter /FlateDecode /Length " +
                           std::to_string(data.size()) + " >>\nstream\n";
        text += data;
        text += "\nendstream\nendobj\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
        return Emit(text);
    }

    QPDF &pdf_;
    const ObjectWriterOptions &options_;
    const ByteSink &sink_;
    std::unordered_map<QPDFObjGen, int, ObjGenHash> numbers_;
    std::unordered_map<std::string, std::string> keys_;
    std::deque<QPDFObjectHandle> queue_;
    std::vector<Entry> xref_ = std::vector<Entry>(1); // number 0 is always free
    std::string text_;                                // the object being written
    std::string packed_;                              // the object stream being filled
    std::vector<std::pair<int, size_t>> packedIndex_; // its objects and their offsets in it
    std::string buffer_;                              // written, not yet sent
    long long offset_ = 0;                            // sent so far
    QCryptographicHash digest_{QCryptographicHash::Md5};
};

} // namespace

bool WriteObjects(QPDF &pdf, const ObjectWriterOptions &options, const ByteSink &sink)
{
    return Writer(pdf, options, sink).Run();
}

} // namespace qf
