#pragma once

#include <QString>

namespace qf {

// Where Debian installs LibreOffice, and what to tell a user who lacks it.
inline const QString kLibreOfficeFolder = QStringLiteral("/usr/lib/libreoffice");
inline const QString kLibreOfficeProgramFolder = kLibreOfficeFolder + QStringLiteral("/program");
inline const QString kLibreOfficeInstallHint =
    QStringLiteral("install it with apt-get install libreoffice-writer-nogui");

// A file of the office's program folder.
inline QString LibreOfficeFile(const QString &name)
{
    return kLibreOfficeProgramFolder + QLatin1Char('/') + name;
}

} // namespace qf
