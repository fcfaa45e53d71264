#pragma once

#include "convert/WordProcessor.h"

#include <QStringList>

namespace qf {

enum BatchExit { kBatchDone = 0, kBatchSomethingFailed = 1, kBatchUsage = 2 };

// quirefold-batch [options] FOLDER: the window's jobs on a folder, without a window. arguments
// holds the program's name first, as QCoreApplication::arguments() does.
int RunBatchCommand(const QStringList &arguments, const WordProcessorStarter &wordProcessor);

} // namespace qf
