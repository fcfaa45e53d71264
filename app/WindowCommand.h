#pragma once

#include <QString>
#include <QStringList>

namespace qf {

// What the window's command line asks for. Its whole line is the folder, as a file manager or a
// user typing a name with spaces gives it; only a first word that begins with "-" is an option.
struct WindowCommand {
    enum class Kind { Open, Help, Version, Refused };
    Kind kind = Kind::Open;
    QString folder; // to open; empty: the folder is asked for
};

WindowCommand ParseWindowCommand(const QStringList &arguments);
// The usage, in the user's language.
QString WindowUsage();

} // namespace qf
