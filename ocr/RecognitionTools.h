#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace qf {

// What text recognition finds installed: OCRmyPDF, and Tesseract's languages.
struct RecognitionTools {
    bool ocrmypdf = false;
    QStringList languages; // e.g. "eng", "deu"; empty without Tesseract
};

// Asks the PATH and Tesseract; takes a moment, so only when there is something to recognise.
RecognitionTools FindRecognitionTools();

// The languages to recognise, as OCRmyPDF takes them ("eng+deu"): chosen, the folder's
// OcrLanguages, when given; else English, plus the desktop's language when its data is installed.
QString RecognitionLanguages(const QString &chosen, const QStringList &installed,
                             const QLocale &desktop = QLocale::system());

// The Debian packages recognition in languages still needs: ocrmypdf, tesseract-ocr-deu ...
QStringList MissingPackages(const RecognitionTools &tools, const QString &languages);

} // namespace qf
