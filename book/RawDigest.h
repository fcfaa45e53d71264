#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <string>

namespace qf {

// The key under which a source's stream carries the digest of its raw data, from the thread that
// read the source to the book: the book's streams are grouped by it without being read again. The
// book's streams lose it before the book is written.
inline const std::string kRawDigestKey = "/QuirefoldRawDigest";

// Notes on stream the digest of its raw data, as it stands in the file; false when the data
// cannot be read.
bool NoteRawDigest(QPDFObjectHandle stream);

} // namespace qf
