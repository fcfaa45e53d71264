#pragma once

#include <qpdf/QPDF.hh>

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qf {

// A value of a source written apart, detached from it to go to the book's thread: direct parts are
// copied, an object of its own stands as a mark holding the number numberOf gives it in the book
// (null for none). Attached gives the book's value: each mark the book's object written there.
QPDFObjectHandle Detached(QPDFObjectHandle value,
                          const std::function<int(QPDFObjectHandle)> &numberOf);
QPDFObjectHandle Attached(QPDFObjectHandle detached,
                          const std::function<QPDFObjectHandle(int number)> &written);

// dictionary's value under key; null, without the warning qpdf makes and keeps for every lookup in
// something that is no dictionary, when it is none.
QPDFObjectHandle ValueOf(QPDFObjectHandle dictionary, const std::string &key);

// Every object of its own that value is or holds, its direct parts looked into.
void ObjectsIn(QPDFObjectHandle value, std::vector<QPDFObjectHandle> &out, int depth = 0);

// value with every object of its own it holds taken as its value, for text the book writes as it
// reads: a stream, which has no such value, and parts nested too deep or too many are null.
QPDFObjectHandle DirectCopy(QPDFObjectHandle value);

// What a source's names (destinations, attached files, scripts) begin with in the book: its file
// name, then "/". A file name never holds "/", so two sources' names never meet.
std::string NamePrefix(const QString &source);

// The rest of an explicit destination after its page, as PDF text that any thread can take and a
// book of a million names holds cheaply: "/XYZ 72 700 null"; /Fit for one that holds anything but
// plain values, or nothing.
std::string DestinationView(QPDFObjectHandle dest);

// An explicit destination of the book: page, then view.
QPDFObjectHandle BookDestination(QPDFObjectHandle page, const std::string &view);

} // namespace qf
