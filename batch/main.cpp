#include "batch/BatchCommand.h"
#include "batch/StopSignals.h"
#include "convert/OfficePlugin.h"
#include "core/Translations.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quirefold-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIREFOLD_VERSION));
    qf::InstallTranslations();
    qf::StopOnSignals();
    return qf::RunBatchCommand(app.arguments(),
                               qf::LibreOfficeFromPlugin(QCoreApplication::applicationDirPath()));
}
