#pragma once

#include "book/Import.h"

#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace qf {

// A source's layers: its groups, each with the state it starts in, and its lists. Read as the
// source's objects, then mapped to what the book takes (detached on the source's thread for a
// piece, imported for a source copied whole).
struct PieceLayers {
    struct Group {
        QPDFObjectHandle group; // detached, once numbered
        bool on = false, off = false;
    };
    std::vector<Group> groups;
    QPDFObjectHandle order, radioButtons, locked, usage; // null: the source has none
};

// The source's layers, if it has any; reach gets what they refer to, to be written with its pages.
std::optional<PieceLayers> ReadLayers(QPDF &source, std::vector<QPDFObjectHandle> &reach);
// The same layers, each group and list item given by value: detached, or the book's.
PieceLayers MapLayers(const PieceLayers &layers,
                      const std::function<QPDFObjectHandle(QPDFObjectHandle)> &value);

// The book's optional content (layers): every source's groups, each in the state its source
// starts in, so content a source hides stays hidden in the book.
class Layers {
public:
    // A source written apart; written gives the book's stand-in for an object written there.
    void AddWritten(const PieceLayers &layers,
                    const std::function<QPDFObjectHandle(int number)> &written);
    void Finish(QPDF &book);

private:
    // Layers whose groups and lists are the book's already.
    void Take(const PieceLayers &layers);
    QPDFObjectHandle groups_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle on_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle off_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle order_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle radioButtons_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle locked_ = QPDFObjectHandle::newArray();
    QPDFObjectHandle usage_ = QPDFObjectHandle::newArray();
    bool any_ = false;
};

} // namespace qf
