#pragma once

#include "convert/WordProcessor.h"
#include "runs/RunContext.h"

namespace qf {

// "Print DOC Files to PDF": stores the folder's choices, collects every entry of List1 and
// converts the ticked ones, then reports the times and what went wrong.
void ConversionRun(RunContext &ctx, const WordProcessorStarter &wordProcessor);

// "Click here to delete PDF files which have a matching DOC file only!": deletes every listed PDF
// that has a document of the same base name, then lists the PDFs again, all unticked. PDFs that
// could not be deleted are named in one message and in the result.
Problems RemovalRun(const Workspace &ws, MainWindow &window);

} // namespace qf
