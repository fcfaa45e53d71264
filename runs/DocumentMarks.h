#pragma once

#include "window/Controls.h"

namespace qf {

// Marks each document of the list whose PDF is missing or older than the document, saying which;
// takes the mark off the others. Start-up and the runs that change PDFs call it.
void MarkOutOfDateDocuments(const QString &folder, TickList &documents);

} // namespace qf
