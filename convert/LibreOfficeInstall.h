#pragma once

#include <QCoreApplication>
#include <QString>

namespace qf {

// Where Debian installs LibreOffice, and what to tell a user who lacks it (in the language loaded
// at start, so made when asked).
inline const QString kLibreOfficeFolder = QStringLiteral("/usr/lib/libreoffice");
inline const QString kLibreOfficeProgramFolder = kLibreOfficeFolder + QStringLiteral("/program");
inline QString LibreOfficeInstallHint()
{
    return QCoreApplication::translate("Conversion",
                                       "install it with apt-get install libreoffice-writer-nogui");
}

// A file of the office's program folder.
inline QString LibreOfficeFile(const QString &name)
{
    return kLibreOfficeProgramFolder + QLatin1Char('/') + name;
}

} // namespace qf
