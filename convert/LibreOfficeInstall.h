#pragma once

#include <QString>

namespace qf {

// Where Debian installs LibreOffice, and what to tell a user who lacks it.
inline const QString kLibreOfficeProgramFolder = QStringLiteral("/usr/lib/libreoffice/program");
inline const QString kLibreOfficeInstallHint =
    QStringLiteral("install it with apt-get install libreoffice-writer-nogui");

// A file of the office's program folder.
inline QString LibreOfficeFile(const QString &name)
{
    return kLibreOfficeProgramFolder + QLatin1Char('/') + name;
}

} // namespace qf
