#pragma once

#include "convert/WordProcessor.h"
#include "core/JobObserver.h"
#include "core/Status.h"

#include <QList>
#include <QStringList>

namespace qf {

// The file names a document's conversion uses: its path cut at the last dot of its name (for a
// .DOC its last four characters), then ".PS", ".PDF" and ".LOG". The PDF is the one of that name
// already in the folder in whatever letter case, so it is replaced and not doubled. The print and
// log files are hidden scratch files, so they never meet a file of the user's.
struct ConversionFiles {
    QString document, printFile, pdf, log;
};
ConversionFiles ConversionFilesFor(const QString &documentPath);

struct ConversionEntry {
    QString name; // a document of the working folder
    bool ticked = false;
};

struct ConversionRequest {
    QString workingFolder;
    QList<ConversionEntry> entries; // the whole document list, in order
    QString bookName;               // named as the conversion begins
    // How many word processors convert at once: 0 for one per core, at most 4; never more than
    // the word processor allows or there are documents.
    int instances = 0;
    PdfExport how; // how each document is written as PDF
};

struct ConvertedDocument {
    QString document;
    QString pdf;
};

struct ConversionResult {
    bool started = false; // false: no word processor could be had, and nothing was done
    QList<ConvertedDocument> converted; // in list order
    Problems problems;                  // in list order, then those of ending the word processors
    QList<Notice> notices;              // what the user was told at once
    bool stopped = false; // the user stopped the run: documents not yet done were left
};

// Prints each ticked document to a PDF beside it through the word processor. Several instances
// work at once, each on its own documents, yet the PDFs, problems and notices are those one
// instance would give, in list order. A document that fails, even by crashing or hanging its
// instance, is named with its reason and costs no other. Every instance is quit at the end.
ConversionResult ConvertDocuments(const ConversionRequest &request,
                                  const WordProcessorStarter &wordProcessor, JobObserver &observer);

} // namespace qf
