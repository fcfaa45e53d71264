#include "app/WindowCommand.h"

#include <QCoreApplication>

namespace qf {

WindowCommand ParseWindowCommand(const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (!first.startsWith(QLatin1Char('-')))
        return {WindowCommand::Kind::Open, arguments.join(QLatin1Char(' '))};
    if (arguments.size() == 1 && (first == QLatin1String("--help") || first == QLatin1String("-h")))
        return {WindowCommand::Kind::Help, {}};
    if (arguments.size() == 1 &&
        (first == QLatin1String("--version") || first == QLatin1String("-v")))
        return {WindowCommand::Kind::Version, {}};
    return {WindowCommand::Kind::Refused, {}};
}

QString WindowUsage()
{
    return QCoreApplication::translate(
        "Window", "Usage: quirefold FOLDER\n"
                  "Opens Quirefold's window on FOLDER, the whole command line: a folder whose name "
                  "holds spaces needs no quotes. A folder whose name begins with \"-\" is given "
                  "as ./NAME.\n\n"
                  "Options:\n"
                  "  -h, --help     Shows this help.\n"
                  "  -v, --version  Shows the version.\n\n"
                  "quirefold-batch runs the same jobs without a window; see quirefold-batch "
                  "--help.\n");
}

} // namespace qf
