#pragma once

#include "book/Import.h"

#include <map>
#include <string>

namespace qf {

// The book's attached files: every source's, byte for byte, each under its source's prefix so
// that two sources' names never collide.
class Attachments {
public:
    // A source written apart, named name: its files' specifications, already written, by their
    // names in the source.
    void AddWritten(const QString &name, const std::map<std::string, QPDFObjectHandle> &files);
    void Finish(QPDF &book);

private:
    std::map<std::string, QPDFObjectHandle> files_;
};

} // namespace qf
