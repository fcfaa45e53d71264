#pragma once

#include "book/SharedStreams.h"

#include <QString>

namespace qf {

// The book's size for people ("443 kB"), and what keeping the parts its sources share once saved,
// when that saved anything.
QString BookSizeText(long long bytes, const SharedStreams &shared);

} // namespace qf
