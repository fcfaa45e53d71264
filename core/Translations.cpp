#include "core/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace qf {
namespace {

bool IsSourceLanguage(const QString &language)
{
    return language == QLatin1String("C") || language == QLatin1String("en") ||
           language.startsWith(QLatin1String("en-")) || language.startsWith(QLatin1String("en_"));
}

// The translator installed, which the application owns; null when none could be loaded.
QTranslator *Install(const QString &name, const QString &folder)
{
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator.release();
}

// The English plural forms ("1 page", "2 pages"), for the sources' own texts.
void InstallPlurals(const QStringList &folders)
{
    for (const QString &folder : folders)
        if (Install(QStringLiteral("quirefold_en"), folder))
            return;
}

} // namespace

QStringList TranslationFolders()
{
    const QString programs = QCoreApplication::applicationDirPath();
    return {programs + QStringLiteral("/translations"),
            QDir::cleanPath(programs + QLatin1Char('/') +
                            QStringLiteral(QUIREFOLD_INSTALLED_TRANSLATIONS))};
}

QString InstallTranslations(const QStringList &languages, const QStringList &folders)
{
    for (const QString &language : languages) {
        if (IsSourceLanguage(language)) {
            InstallPlurals(folders);
            return QString();
        }
        // "de-DE" finds quirefold_de.qm too: the loader drops the name's parts from the end.
        const QString name = QString(language).replace(QLatin1Char('-'), QLatin1Char('_'));
        for (const QString &folder : folders) {
            const QTranslator *own = Install(QStringLiteral("quirefold_") + name, folder);
            if (!own)
                continue;
            // Standard buttons and the command line's help; optional.
            Install(QStringLiteral("qtbase_") + name,
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            return own->language();
        }
    }
    InstallPlurals(folders); // no translation: the sources' English
    return QString();
}

} // namespace qf
