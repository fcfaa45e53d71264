#pragma once

#include "convert/WordProcessor.h"
#include "core/Status.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace qf {

struct LibreOfficeOptions {
    // A document operation (open, print, close) that takes longer ends the office (watchdog).
    std::chrono::milliseconds documentBound{std::chrono::seconds(120)};
    // Where the office's private profiles live; empty: QStandardPaths::GenericCacheLocation +
    // "/quirefold/office".
    QString profileRoot;
    // Called every ~20 ms while the caller waits for the office: where a test provokes a failure in
    // the middle of a call. It must not call the office itself.
    std::function<void()> whileWaiting;
};

// Starts one headless LibreOffice for a run, on a private profile no other Quirefold process
// uses. Null with a status that says in plain words what is missing and how to install it, or why
// the office did not start.
std::unique_ptr<WordProcessor> StartLibreOffice(const LibreOfficeOptions &options, Status &status);

// Whether LibreOffice is installed, touching nothing; says what to install when it is not.
Status CheckLibreOffice();

// The word processor of both programs: LibreOffice with these options.
WordProcessorStarter LibreOfficeStarter(const LibreOfficeOptions &options = {});

} // namespace qf
