#include "book/ObjectStreams.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace qf {
namespace {

// As many objects per object stream as qpdf puts in its own: a reader decompresses a whole
// stream to reach one object in it.
constexpr size_t kObjectsPerStream = 100;
constexpr size_t kEntrySize = 20; // "0000000015 00000 n \n"

struct Entry {
    long long offset = 0;
    bool used = false;
    size_t begin = 0, end = 0; // its text in the file, "N 0 obj\n" to "\nendobj\n"
    bool topLevel = false;     // a stream, or anything that cannot be packed: written as it stands
    long long newOffset = 0;
    int stream = 0; // the object stream holding it, when packed
    int index = 0;  // its place in that stream
};

bool ReadNumber(std::string_view text, size_t &at, long long &value)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (error != std::errc() || value < 0)
        return false;
    at = size_t(end - text.data());
    return true;
}

bool EndsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string Deflate(std::string_view data)
{
    std::string out;
    Pl_String into("packed", nullptr, out);
    Pl_Flate flate("packed", &into, Pl_Flate::a_deflate);
    // One write: the whole stream is compressed in a few calls, not a word at a time.
    flate.write(reinterpret_cast<const unsigned char *>(data.data()), data.size());
    flate.finish();
    return out;
}

void PutBigEndian(std::string &out, unsigned long long value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xff);
}

// The trailer's entries for the cross-reference stream's dictionary: all but /Size, which is
// written anew.
bool TrailerEntries(std::string_view trailer, std::string &entries)
{
    if (trailer.substr(0, 3) != "<< " || !EndsWith(trailer, " >>"))
        return false;
    std::string_view inner = trailer.substr(3, trailer.size() - 6);
    const size_t size = inner.find("/Size ");
    if (size == std::string_view::npos)
        return false;
    size_t after = size + 6;
    long long ignored = 0;
    if (!ReadNumber(inner, after, ignored))
        return false;
    entries = std::string(inner.substr(0, size)) + std::string(inner.substr(after));
    return true;
}

// Reads the file ahead in large pieces, so that going through its objects in order costs a few
// reads, and holds no more of it than one piece or the largest object.
class Window {
public:
    Window(const FileReader &read, size_t size) : read_(read), size_(size) {}

    // The bytes [begin, end) of the file, valid until the next call.
    bool View(size_t begin, size_t end, std::string_view &bytes)
    {
        if (begin > end || end > size_)
            return false;
        if (begin < start_ || end > start_ + buffer_.size()) {
            const size_t length = std::min(std::max(end - begin, kPiece), size_ - begin);
            if (!read_(begin, length, buffer_) || buffer_.size() != length)
                return false;
            start_ = begin;
        }
        bytes = std::string_view(buffer_).substr(begin - start_, end - begin);
        return true;
    }

private:
    static constexpr size_t kPiece = size_t(1) << 16;
    const FileReader &read_;
    const size_t size_;
    std::string buffer_;
    size_t start_ = 0;
};

struct ObjectStream {
    int number = 0;
    size_t count = 0;
    size_t first = 0; // where the first object starts in its data
    std::string data; // compressed
    long long offset = 0;
};

} // namespace

bool PackObjectStreams(size_t size, const FileReader &read, const FileWriter &write)
{
    if (size >= (size_t(1) << 31) || size < 8)
        return false; // the packed file's offsets take four bytes
    Window file(read, size);
    // The cross-reference table, where startxref at the end says: "xref\n0 N\n" and N entries.
    std::string_view tail;
    const size_t tailStart = size - std::min<size_t>(size, 4096);
    if (!file.View(tailStart, size, tail))
        return false;
    const size_t startxref = tail.rfind("\nstartxref\n");
    if (startxref == std::string_view::npos)
        return false;
    size_t at = startxref + 11;
    long long xref = 0;
    if (!ReadNumber(tail, at, xref) || size_t(xref) >= tailStart + startxref)
        return false;
    std::string_view table;
    if (!file.View(size_t(xref), tailStart + startxref, table) || table.substr(0, 7) != "xref\n0 ")
        return false;
    const std::string tableCopy(table); // the window moves on
    table = tableCopy;
    at = 7;
    long long count = 0;
    if (!ReadNumber(table, at, count) || at >= table.size() || table[at] != '\n' || count < 1 ||
        size_t(count) > (table.size() - at) / kEntrySize)
        return false;
    ++at;
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (size_t i = 0; i < entries.size(); ++i, at += kEntrySize) {
        const std::string_view line = table.substr(at, kEntrySize);
        size_t pos = 0;
        long long generation = 0;
        if (!ReadNumber(line, pos, entries[i].offset) || !ReadNumber(line, pos, generation))
            return false;
        if (line.substr(pos) == " n \n") {
            if (generation != 0 || i == 0 || entries[i].offset < 8 || entries[i].offset >= xref)
                return false;
            entries[i].used = true;
        } else if (line.substr(pos) != " f \n") {
            return false;
        }
    }
    if (table.substr(at, 8) != "trailer ")
        return false;
    std::string trailer;
    if (!TrailerEntries(table.substr(at + 8), trailer) ||
        trailer.find("/Encrypt") != std::string::npos)
        return false;

    // Each object runs from its offset to the next object's, or to the table. The objects that
    // are not streams go into object streams, a hundred at a time, compressed as they come.
    std::vector<size_t> order;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].used)
            order.push_back(i);
    if (order.empty())
        return false;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return entries[a].offset < entries[b].offset; });
    std::vector<ObjectStream> objectStreams;
    int next = int(entries.size());
    std::string offsets, bodies;
    std::vector<size_t> pending;
    const auto closeStream = [&] {
        if (pending.empty())
            return;
        ObjectStream stream{next++, pending.size(), 0, {}};
        for (size_t k = 0; k < pending.size(); ++k) {
            entries[pending[k]].stream = stream.number;
            entries[pending[k]].index = int(k);
        }
        offsets.back() = '\n';
        stream.first = offsets.size();
        stream.data = Deflate(offsets + bodies);
        objectStreams.push_back(std::move(stream));
        offsets.clear();
        bodies.clear();
        pending.clear();
    };
    for (size_t k = 0; k < order.size(); ++k) {
        Entry &entry = entries[order[k]];
        entry.begin = size_t(entry.offset);
        entry.end = k + 1 < order.size() ? size_t(entries[order[k + 1]].offset) : size_t(xref);
        const std::string head = std::to_string(order[k]) + " 0 obj\n";
        std::string_view text;
        if (!file.View(entry.begin, entry.end, text) || text.size() < head.size() + 8 ||
            text.substr(0, head.size()) != head || !EndsWith(text, "\nendobj\n"))
            return false;
        const std::string_view body = text.substr(head.size(), text.size() - head.size() - 8);
        // A stream's text ends in "endstream"; no other object's does but a name, which is as
        // good where it stands.
        entry.topLevel = EndsWith(body, "endstream");
        if (entry.topLevel)
            continue;
        offsets += std::to_string(order[k]) + ' ' + std::to_string(bodies.size()) + ' ';
        bodies += body;
        bodies += '\n';
        pending.push_back(order[k]);
        if (pending.size() == kObjectsPerStream)
            closeStream();
    }
    closeStream();

    // The header as it was; then every stream as it was, in the order of the file, then the
    // object streams, then the cross-reference stream. Every piece is read before anything is
    // written over it, so the file may be packed in place.
    std::string_view view;
    if (!file.View(0, size_t(entries[order.front()].offset), view) ||
        view.substr(0, 7) != "%PDF-1.")
        return false;
    std::string header(view);
    if (header[7] < '5')
        header[7] = '5'; // object streams are PDF 1.5
    size_t written = 0;
    const auto put = [&](std::string_view piece) {
        write(piece);
        written += piece.size();
    };
    put(header);
    for (const size_t i : order) {
        Entry &entry = entries[i];
        if (!entry.topLevel)
            continue;
        if (!file.View(entry.begin, entry.end, view))
            return false; // read once already; only a file changed meanwhile fails here
        entry.newOffset = static_cast<long long>(written);
        put(view);
    }
    for (ObjectStream &stream : objectStreams) {
        stream.offset = static_cast<long long>(written);
        put(std::to_string(stream.number) + " 0 obj\n<< /Type /ObjStm /N " +
            std::to_string(stream.count) + " /First " + std::to_string(stream.first) +
            " /Filter /FlateDecode /Length " + std::to_string(stream.data.size()) +
            " >>\nstream\n");
        put(stream.data);
        put("\nendstream\nendobj\n");
        stream.data.clear();
    }

    // The cross-reference stream: type, field 2 (offset, or the object stream's number), field 3
    // (generation, or the place in the object stream).
    const int xrefNumber = next++;
    const long long xrefOffset = static_cast<long long>(written);
    std::string entriesData;
    entriesData.reserve(size_t(next) * 7);
    const auto add = [&](int type, unsigned long long second, unsigned long long third) {
        entriesData += char(type);
        PutBigEndian(entriesData, second, 4);
        PutBigEndian(entriesData, third, 2);
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        if (!entry.used)
            add(0, 0, i == 0 ? 65535 : 0);
        else if (entry.topLevel)
            add(1, static_cast<unsigned long long>(entry.newOffset), 0);
        else
            add(2, static_cast<unsigned long long>(entry.stream),
                static_cast<unsigned long long>(entry.index));
    }
    for (const ObjectStream &stream : objectStreams)
        add(1, static_cast<unsigned long long>(stream.offset), 0);
    add(1, static_cast<unsigned long long>(xrefOffset), 0);
    const std::string data = Deflate(entriesData);
    put(std::to_string(xrefNumber) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(next) +
        " /W [ 1 4 2 ] /Filter /FlateDecode /Length " + std::to_string(data.size()) + ' ' +
        trailer + " >>\nstream\n");
    put(data);
    put("\nendstream\nendobj\nstartxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n");
    return true;
}

bool PackObjectStreams(std::string_view classic, const FileWriter &write)
{
    const FileReader read = [&](size_t offset, size_t length, std::string &into) {
        into.assign(classic.substr(offset, length));
        return true;
    };
    return PackObjectStreams(classic.size(), read, write);
}

} // namespace qf
