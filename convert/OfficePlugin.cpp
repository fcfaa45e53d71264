#include "convert/OfficePlugin.h"

#include "convert/LibreOfficeInstall.h"
#include "core/Workspace.h"

#include <QCoreApplication>
#include <QFile>

#include <dlfcn.h>

namespace qf {
namespace {

using Entry = void (*)(const LibreOfficeOptions *, WordProcessorStarter *);

const QString kPluginFileName = QStringLiteral("quirefold-libreoffice.so");

// Loads the plugin once; it stays loaded, since the office objects' code lives in it.
Entry LoadEntry(const QString &path, QString &reason)
{
    void *handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        reason = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    auto entry = reinterpret_cast<Entry>(::dlsym(handle, "QuirefoldLibreOfficeStarter"));
    if (!entry)
        reason = QString::fromLocal8Bit(::dlerror());
    return entry;
}

WordProcessorStarter Unavailable(const QString &reason)
{
    return {[reason] { return Status::Failed(QString(), reason); },
            [reason](Status &status) -> std::unique_ptr<WordProcessor> {
                status = Status::Failed(QString(), reason);
                return nullptr;
            }};
}

} // namespace

WordProcessorStarter LibreOfficeFromPlugin(const QString &programFolder,
                                           const LibreOfficeOptions &options)
{
    const QString path = JoinPath(programFolder, kPluginFileName);
    if (!QFile::exists(path))
        return Unavailable(
            QCoreApplication::translate("Conversion", "%1 is missing: install Quirefold again")
                .arg(path));
    QString reason;
    const Entry entry = LoadEntry(path, reason);
    if (!entry)
        return Unavailable(
            QCoreApplication::translate("Conversion", "LibreOffice could not be loaded (%1): %2")
                .arg(reason, LibreOfficeInstallHint()));
    WordProcessorStarter starter;
    entry(&options, &starter);
    return starter;
}

} // namespace qf
