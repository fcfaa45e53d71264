#pragma once

#include "core/JobObserver.h"
#include "core/Status.h"

#include <QHash>
#include <QStringList>

namespace qf {

struct RecognitionRequest {
    QString workingFolder;
    QStringList names;   // the PDFs of the working folder, in order
    QString languages;   // the folder's choice, e.g. "eng+deu"; empty: English and the desktop's
    QString cacheFolder; // where recognised copies are kept; empty: the user's cache
    int atOnce = 0;      // recognitions run side by side; 0: one per core
};

struct RecognisedDocument {
    QString name;
    int pages = 0; // its pages that were scanned and now hold text
    // Its scanned pages, numbered from 1: those that now hold text, and those where recognition
    // found none (a blank sheet, a photograph).
    QList<int> withText{}, withoutText{};
};

struct RecognitionResult {
    QHash<QString, QString> copies;       // a PDF's name: the recognised copy to read instead
    QList<RecognisedDocument> recognised; // in list order
    Problems problems;     // PDFs that could not be recognised, which go into the book as they are
    QList<Notice> notices; // what the observer was told
    bool stopped = false;
};

// Makes the scanned pages of the request's PDFs searchable: each PDF with pages that draw an image
// and show no text gets a copy with an invisible text layer under those pages, made by OCRmyPDF
// or taken from the cache. The PDFs themselves are never changed. Without OCRmyPDF or a
// language's data the observer is told what to install, and nothing is recognised.
RecognitionResult RecogniseScans(const RecognitionRequest &request, JobObserver &observer);

// "Scan.pdf (2 pages), Letter.pdf (1 page: 1; no text was found on 1 page: 2)".
QString RecognisedText(const QList<RecognisedDocument> &recognised);

} // namespace qf
