#include "batch/BatchCommand.h"
#include "batch/StopSignals.h"
#include "convert/OfficePlugin.h"
#include "core/Translations.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quirefold-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIREFOLD_VERSION));
    qf::InstallTranslations();
    qf::StopOnSignals();
    const int status = qf::RunBatchCommand(
        app.arguments(), qf::LibreOfficeFromPlugin(QCoreApplication::applicationDirPath()));
    // Everything is written and closed: the book in memory need not be freed before the end.
    std::fflush(nullptr);
    std::quick_exit(status);
}
