#pragma once

#include "runs/RunContext.h"

#include <functional>

namespace qf {

// "Compile PDF Files": stores the folder's choices, collects the ticked PDFs in list order and
// builds the book from them in "PDFCompile Output", then reports the times and what went wrong.
// Returns once the book is being made, on a thread of its own; ended is called on the
// application's thread once the run is over.
void CompileRun(const RunContext &ctx, std::function<void()> ended);

} // namespace qf
