#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace qf {

// Where the programs look for their translations: beside them as built, then in the installed
// share folder.
QStringList TranslationFolders();

// Installs the translation for the first of languages that Quirefold has one for, with Qt's own
// for that language when it is there. The program's English is its source text, so a language
// list that names English first, or the C locale, gets none. Returns the translation's name
// ("de"), or an empty string when none was installed.
QString InstallTranslations(const QStringList &languages = QLocale::system().uiLanguages(),
                            const QStringList &folders = TranslationFolders());

} // namespace qf
