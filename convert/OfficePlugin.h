#pragma once

#include "convert/WordProcessor.h"
#include "convert/libreoffice/LibreOfficeWriter.h"

#include <QString>

namespace qf {

// LibreOffice as the word processor, from the plugin in the program's folder. It is loaded only
// when a conversion needs it, so the programs start without LibreOffice's libraries; when they
// are missing, the check says what to install.
WordProcessorStarter LibreOfficeFromPlugin(const QString &programFolder,
                                           const LibreOfficeOptions &options = {});

} // namespace qf
