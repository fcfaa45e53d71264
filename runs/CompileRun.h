#pragma once

#include "runs/RunContext.h"

namespace qf {

// "Compile PDF Files": stores the folder's choices, collects the ticked PDFs in list order and
// builds the book from them in "PDFCompile Output", then reports the times and what went wrong.
void CompileRun(RunContext &ctx);

} // namespace qf
