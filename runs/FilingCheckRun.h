#pragma once

#include "runs/RunContext.h"

#include <functional>

namespace qf {

// "Check the book for filing...": reads the ticked PDFs, in list order, with the window's choices,
// on a thread of its own, and says what a filing portal usually refuses in one message whose text
// can be copied. Changes nothing; ended is called on the application's thread once the message is
// closed.
void FilingCheckRun(const RunContext &ctx, std::function<void()> ended);

} // namespace qf
