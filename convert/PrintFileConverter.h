#pragma once

#include "core/Status.h"

#include <QString>

#include <chrono>
#include <functional>

namespace qf {

// The log file the converter leaves beside a PDF: a hidden scratch file named for the PDF's path
// without the extension, then ".LOG", which the caller removes once read.
QString LogPathFor(const QString &pdfPath);

// Turns a print file into the PDF at pdfPath: a print file holding PDF is checked and rewritten
// with qpdf (lossless); one holding PostScript goes through Ghostscript. Afterwards the log file
// always exists and says what was done and what went wrong; a failure leaves no PDF behind.
// jobOptions is accepted for the callers' sake; no options are known.
Status FileToPDF(const QString &printFile, const QString &pdfPath, const QString &jobOptions,
                 const std::function<void()> &keepResponsive = {},
                 std::chrono::milliseconds ghostscriptBound = std::chrono::minutes(10));

} // namespace qf
