#pragma once

#include "core/Status.h"

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>

namespace qf {

// Why a call failed that a stopped run cut short; made when asked, so it is in the language
// loaded at start.
inline QString StoppedReason()
{
    return QCoreApplication::translate("Conversion", "was not finished: the run was stopped");
}

// How a document is written as PDF.
struct PdfExport {
    // Tagged (its structure, title and language for screen readers), its headings as bookmarks.
    bool tagged = true;
};

// The word processor as the conversion drives it: one instance per run, holding at most one open
// document. Every failure says which file and why.
class WordProcessor {
public:
    virtual ~WordProcessor() = default;

    // Opens the document read-only and hidden, its macros off; it becomes the open document.
    virtual Status OpenReadOnly(const QString &path) = 0;
    // Writes the open document as a PDF to path, complete when the call returns.
    virtual Status ExportPdf(const QString &path, const PdfExport &how) = 0;
    // Closes the open document without saving it.
    virtual Status Close() = 0;
    // Ends the word processor; after this nothing of it runs.
    virtual Status Quit() = 0;
    // Safe from any thread: the call under way, and every later one, fails at once, the word
    // processor's processes ended. For a run the user stopped.
    virtual void Abort() {}
};

// How a run gets its word processor: first whether it is there at all, touching nothing and
// saying what to install when it is not; then the start, which gives null with the reason when
// it fails. Up to `instances` may run at once, each started, used and quit on a thread of its
// own.
struct WordProcessorStarter {
    std::function<Status()> check;
    std::function<std::unique_ptr<WordProcessor>(Status &status)> start;
    int instances = 1;
};

} // namespace qf
