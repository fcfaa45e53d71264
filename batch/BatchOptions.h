#pragma once

#include "batch/BatchRun.h"

#include <QString>
#include <QStringList>

namespace qf {

// What the batch command's line asks for.
struct BatchOptions {
    enum class Outcome { Run, Help, Version, Usage };
    Outcome outcome = Outcome::Run;
    QString text; // Help and Version: what to print; Usage: what is wrong
    QString folder;
    BatchJobs jobs;
    bool quiet = false;
    bool json = false;  // also for a wrong line that names --json
    bool watch = false; // also for a wrong line that names --watch
};

// Reads the command line, program name first; every value is checked here, so a refused one
// never reaches a run that would store it.
BatchOptions ParseBatchOptions(const QStringList &arguments);

} // namespace qf
