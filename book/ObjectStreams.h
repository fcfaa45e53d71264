#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qf {

// Packs a PDF that qpdf wrote with a cross-reference table (not linearized, not encrypted) into
// the same objects with object streams and a cross-reference stream (PDF 1.5): every object but
// the streams goes, as the text qpdf wrote for it, into a Flate-compressed object stream.
//
// qpdf can do this itself, but it writes each object twice and compresses it a word at a time,
// which doubles the time of writing a book; moving the text it wrote costs next to nothing.
//
using FileReader = std::function<bool(size_t offset, size_t length, std::string &into)>;
using FileWriter = std::function<void(std::string_view piece)>;

// The packed file goes to write, piece by piece, in order, so it is never held whole; the file is
// read through read, ahead in large pieces. Each piece is read before anything is written over it,
// so write may write over the file read. False, with nothing written, when the file is not as
// qpdf writes it; the file is good as it is.
bool PackObjectStreams(size_t size, const FileReader &read, const FileWriter &write);
bool PackObjectStreams(std::string_view classic, const FileWriter &write);

} // namespace qf
