#pragma once

#include "convert/WordProcessor.h"
#include "runs/RunContext.h"

#include <functional>

namespace qf {

// "Print DOC Files to PDF": stores the folder's choices, collects every entry of List1 and
// converts the ticked ones, then reports the times and what went wrong. Returns once the documents
// are being converted, on a thread of its own; ended is called on the application's thread once
// the run is over.
void ConversionRun(const RunContext &ctx, const WordProcessorStarter &wordProcessor,
                   std::function<void()> ended);

// "Click here to delete PDF files which have a matching DOC file only!": deletes every listed PDF
// that has a document of the same base name, then lists the PDFs again, all unticked. PDFs that
// could not be deleted are named in one message and in the result.
Problems RemovalRun(const Workspace &ws, MainWindow &window);

} // namespace qf
