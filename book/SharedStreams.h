#pragma once

namespace qf {

// What keeping identical streams once saved.
struct SharedStreams {
    int streams = 0;     // copies dropped
    long long bytes = 0; // their stream data
};

} // namespace qf
