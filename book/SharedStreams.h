#pragma once

#include <qpdf/QPDF.hh>

namespace qf {

// What keeping identical streams once saved.
struct SharedStreams {
    int streams = 0;     // copies dropped
    long long bytes = 0; // their stream data
};

// Keeps streams that are the same in several sources once: the same dictionary (the objects it
// refers to the same too) and the same raw data under the same filters. Every reference to a copy
// then points at the first; nothing is decoded or encoded again, so every page shows as before.
SharedStreams ShareIdenticalStreams(QPDF &book);

} // namespace qf
