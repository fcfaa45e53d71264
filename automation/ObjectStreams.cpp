#include "automation/ObjectStreams.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>

#include <algorithm>
#include <charconv>
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
    std::string_view body; // the object's text between "N 0 obj\n" and "\nendobj\n"
    bool topLevel = false; // a stream, or anything that cannot be packed: written as it stands
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

} // namespace

bool PackObjectStreams(std::string_view classic, std::string &packed)
{
    // The cross-reference table: where startxref says, "xref\n0 N\n" and N entries.
    const size_t startxref = classic.rfind("\nstartxref\n");
    if (startxref == std::string_view::npos)
        return false;
    size_t at = startxref + 11;
    long long xref = 0;
    if (!ReadNumber(classic, at, xref) || size_t(xref) >= startxref ||
        classic.substr(size_t(xref), 7) != "xref\n0 ")
        return false;
    at = size_t(xref) + 7;
    long long count = 0;
    if (!ReadNumber(classic, at, count) || at >= classic.size() || classic[at] != '\n' ||
        count < 1 || size_t(count) > (classic.size() - at) / kEntrySize)
        return false;
    ++at;
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (size_t i = 0; i < entries.size(); ++i, at += kEntrySize) {
        const std::string_view line = classic.substr(at, kEntrySize);
        size_t pos = 0;
        long long generation = 0;
        if (!ReadNumber(line, pos, entries[i].offset) || !ReadNumber(line, pos, generation))
            return false;
        if (line.substr(pos) == " n \n") {
            if (generation != 0 || i == 0 || size_t(entries[i].offset) >= size_t(xref))
                return false;
            entries[i].used = true;
        } else if (line.substr(pos) != " f \n") {
            return false;
        }
    }
    if (classic.substr(at, 8) != "trailer ")
        return false;
    std::string trailer;
    if (!TrailerEntries(classic.substr(at + 8, startxref - at - 8), trailer) ||
        trailer.find("/Encrypt") != std::string::npos)
        return false;

    // Each object runs from its offset to the next object's, or to the table.
    std::vector<size_t> order;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].used)
            order.push_back(i);
    if (order.empty())
        return false;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return entries[a].offset < entries[b].offset; });
    for (size_t k = 0; k < order.size(); ++k) {
        Entry &entry = entries[order[k]];
        const size_t begin = size_t(entry.offset);
        const size_t end =
            k + 1 < order.size() ? size_t(entries[order[k + 1]].offset) : size_t(xref);
        const std::string head = std::to_string(order[k]) + " 0 obj\n";
        const std::string_view text = classic.substr(begin, end - begin);
        if (text.substr(0, head.size()) != head || !EndsWith(text, "\nendobj\n") ||
            text.size() < head.size() + 8)
            return false;
        entry.body = text.substr(head.size(), text.size() - head.size() - 8);
        // A stream's text ends in "endstream"; no other object's does but a name, which is as
        // good where it stands.
        entry.topLevel = EndsWith(entry.body, "endstream");
        if (entry.topLevel)
            entry.body = text;
    }

    // The header as it was; then every stream as it was, then the object streams, then the
    // cross-reference stream.
    const size_t headerEnd = size_t(entries[order.front()].offset);
    std::string out(classic.substr(0, headerEnd));
    if (out.size() < 8 || out.compare(0, 7, "%PDF-1.") != 0)
        return false;
    if (out[7] < '5')
        out[7] = '5'; // object streams are PDF 1.5
    out.reserve(classic.size());
    std::vector<size_t> packedObjects;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].used)
            continue;
        if (entries[i].topLevel) {
            entries[i].newOffset = static_cast<long long>(out.size());
            out += entries[i].body;
        } else {
            packedObjects.push_back(i);
        }
    }
    int next = int(entries.size());
    std::vector<std::pair<int, long long>> objectStreams; // number, offset
    for (size_t first = 0; first < packedObjects.size(); first += kObjectsPerStream) {
        const size_t last = std::min(packedObjects.size(), first + kObjectsPerStream);
        const int number = next++;
        std::string offsets, bodies;
        for (size_t k = first; k < last; ++k) {
            Entry &entry = entries[packedObjects[k]];
            entry.stream = number;
            entry.index = int(k - first);
            offsets += std::to_string(packedObjects[k]) + ' ' + std::to_string(bodies.size()) + ' ';
            bodies += entry.body;
            bodies += '\n';
        }
        offsets.back() = '\n';
        const std::string data = Deflate(offsets + bodies);
        objectStreams.emplace_back(number, static_cast<long long>(out.size()));
        out += std::to_string(number) + " 0 obj\n<< /Type /ObjStm /N " +
               std::to_string(last - first) + " /First " + std::to_string(offsets.size()) +
               " /Filter /FlateDecode /Length " + std::to_string(data.size()) + " >>\nstream\n";
        out += data;
        out += "\nendstream\nendobj\n";
    }

    // The cross-reference stream: type, field 2 (offset, or the object stream's number), field 3
    // (generation, or the place in the object stream).
    const int xrefNumber = next++;
    const long long xrefOffset = static_cast<long long>(out.size());
    if (static_cast<unsigned long long>(xrefOffset) >= (1ULL << 32))
        return false; // four bytes of offset
    std::string table;
    table.reserve(size_t(next) * 7);
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        if (!entry.used) {
            table += char(0);
            PutBigEndian(table, 0, 4);
            PutBigEndian(table, i == 0 ? 65535 : 0, 2);
        } else if (entry.topLevel) {
            table += char(1);
            PutBigEndian(table, static_cast<unsigned long long>(entry.newOffset), 4);
            PutBigEndian(table, 0, 2);
        } else {
            table += char(2);
            PutBigEndian(table, static_cast<unsigned long long>(entry.stream), 4);
            PutBigEndian(table, static_cast<unsigned long long>(entry.index), 2);
        }
    }
    for (const auto &[number, offset] : objectStreams) {
        table += char(1);
        PutBigEndian(table, static_cast<unsigned long long>(offset), 4);
        PutBigEndian(table, 0, 2);
    }
    table += char(1);
    PutBigEndian(table, static_cast<unsigned long long>(xrefOffset), 4);
    PutBigEndian(table, 0, 2);
    const std::string data = Deflate(table);
    out += std::to_string(xrefNumber) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(next) +
           " /W [ 1 4 2 ] /Filter /FlateDecode /Length " + std::to_string(data.size()) + ' ' +
           trailer + " >>\nstream\n";
    out += data;
    out += "\nendstream\nendobj\nstartxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
    packed = std::move(out);
    return true;
}

} // namespace qf
