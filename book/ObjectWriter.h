#pragma once

#include <qpdf/PDFVersion.hh>
#include <qpdf/QPDF.hh>

#include <functional>
#include <string>
#include <string_view>

namespace qf {

// Where written bytes go, in order: a file, memory, a counter. False when they could not be
// written; the write then stops.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Told of each stream whose data cannot be decoded, by its number in the PDF it is in, with what is
// wrong (empty when qpdf did not say); its data is written as it stands.
using UndecodableStream = std::function<void(QPDFObjGen stream, const std::string &detail)>;

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

} // namespace qf
