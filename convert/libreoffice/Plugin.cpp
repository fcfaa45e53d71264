// The plugin's one entry point, looked up by name when the program loads it.
#include "convert/libreoffice/LibreOfficeWriter.h"

extern "C" __attribute__((visibility("default"))) void
QuirefoldLibreOfficeStarter(const qf::LibreOfficeOptions *options,
                            qf::WordProcessorStarter *starter)
{
    *starter = qf::LibreOfficeStarter(*options);
}
