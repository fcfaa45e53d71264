#include "core/Workspace.h"

#include <QDir>

namespace qf {

QString JoinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

Workspace Workspace::FromArguments(const QStringList &arguments)
{
    Workspace ws;
    ws.WorkingFolder = arguments.join(QLatin1Char(' '));
    ws.ResetSettingsPath();
    return ws;
}

} // namespace qf
