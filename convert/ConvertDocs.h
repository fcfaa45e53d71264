#pragma once

#include "convert/WordProcessor.h"
#include "runs/RunContext.h"
#include "window/Status.h"

#include <QStringList>

namespace qf {

// The file names a document's conversion uses: its path without the last four characters (the
// extension), then ".PS", ".PDF" and ".LOG". The PDF is the one of that name already in the
// folder in whatever letter case, so it is replaced and not doubled. The print and log files are
// hidden scratch files, so they never meet a file of the user's.
struct ConversionFiles {
    QString document, printFile, pdf, log;
};
ConversionFiles ConversionFilesFor(const QString &documentPath);

// Prints each ticked document of List1 (names holds every entry of List1, in order) to a PDF
// beside it through the word processor, refreshing List2 after each; then applies the PDF ignore
// list to List2 again. A document that fails is named with its reason in the result and the run
// goes on with the next. The word processor is always quit at the end.
Problems ConvertDocsToPdf(RunContext &ctx, const QStringList &names, WordProcessor &word);

} // namespace qf
