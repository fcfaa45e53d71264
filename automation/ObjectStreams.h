#pragma once

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
// False, with packed untouched, when the file is not as qpdf writes it; the file is good as it is.
bool PackObjectStreams(std::string_view classic, std::string &packed);

} // namespace qf
