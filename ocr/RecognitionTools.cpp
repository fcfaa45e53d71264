#include "ocr/RecognitionTools.h"

#include "convert/ChildProcess.h"

#include <QRegularExpression>
#include <QStandardPaths>

namespace qf {

RecognitionTools FindRecognitionTools()
{
    RecognitionTools tools;
    tools.ocrmypdf = !QStandardPaths::findExecutable(QStringLiteral("ocrmypdf")).isEmpty();
    ChildProcess tesseract;
    QString reason;
    if (!tesseract.Start(QStringLiteral("tesseract"), {QStringLiteral("--list-langs")},
                         ChildProcess::Channels::Capture, &reason) ||
        !tesseract.WaitForExit(std::chrono::seconds(20)) || tesseract.ExitCode() != 0)
        return tools;
    // A heading line, then one language a line.
    const QStringList lines =
        QString::fromLocal8Bit(tesseract.TakeOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        if (!line.contains(QLatin1Char(' ')) && line.trimmed() != QLatin1String("osd"))
            tools.languages.append(line.trimmed());
    return tools;
}

QString RecognitionLanguages(const QString &chosen, const QStringList &installed,
                             const QLocale &desktop)
{
    // Codes as Tesseract names its data, joined by "+"; written with commas or blanks too. Nothing
    // else is passed on, nor named in an install command.
    static const QRegularExpression separators(QStringLiteral("[+,\\s]+"));
    static const QRegularExpression code(QStringLiteral("^[A-Za-z0-9_]+$"));
    QStringList codes;
    for (const QString &part : chosen.split(separators, Qt::SkipEmptyParts))
        if (code.match(part).hasMatch() && !codes.contains(part))
            codes.append(part);
    if (!codes.isEmpty())
        return codes.join(QLatin1Char('+'));
    QString languages = QStringLiteral("eng");
    const QString own = QLocale::languageToCode(desktop.language(), QLocale::ISO639Part2T);
    if (own != QLatin1String("eng") && installed.contains(own))
        languages += QLatin1Char('+') + own;
    return languages;
}

QStringList MissingPackages(const RecognitionTools &tools, const QString &languages)
{
    QStringList missing;
    if (!tools.ocrmypdf)
        missing.append(QStringLiteral("ocrmypdf"));
    for (const QString &language : languages.split(QLatin1Char('+'), Qt::SkipEmptyParts))
        if (!tools.languages.contains(language))
            missing.append(QStringLiteral("tesseract-ocr-") +
                           language.toLower().replace(QLatin1Char('_'), QLatin1Char('-')));
    return missing;
}

} // namespace qf
