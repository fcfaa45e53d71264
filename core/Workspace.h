#pragma once

#include <QString>
#include <QStringList>

namespace qf {

// File names the program keeps inside the working folder.
inline const QString kSettingsFileName = QStringLiteral("Quirefold.INI");
inline const QString kDocIgnoreFileName = QStringLiteral("QFDOCIgnore.INI");
inline const QString kPdfIgnoreFileName = QStringLiteral("QFPDFIgnore.INI");
// The PDF list's own order, once the user has moved a PDF.
inline const QString kPdfOrderFileName = QStringLiteral("QFPDFOrder.INI");

// Paths are joined plainly: no trimming, unquoting or normalisation, so "dir/" gives "dir//x".
QString JoinPath(const QString &folder, const QString &name);

// The process-wide values, set at start-up and read by every job.
struct Workspace {
    // The command line's argument text, unchanged.
    QString WorkingFolder;
    QString SettingsPath;
    // The book's file name as last taken from Text5 by a compile run; empty until then.
    QString OutputFileName;

    // Joins the arguments after the program's name with single blanks.
    static Workspace FromArguments(const QStringList &arguments);

    void ResetSettingsPath() { SettingsPath = JoinPath(WorkingFolder, kSettingsFileName); }
    QString PathOf(const QString &itemText) const { return JoinPath(WorkingFolder, itemText); }
    QString DocIgnorePath() const { return PathOf(kDocIgnoreFileName); }
    QString PdfIgnorePath() const { return PathOf(kPdfIgnoreFileName); }
    QString PdfOrderPath() const { return PathOf(kPdfOrderFileName); }
};

} // namespace qf
