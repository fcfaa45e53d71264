#pragma once

#include "compile/BookLayout.h"
#include "compile/CompileBook.h"
#include "convert/ConvertDocs.h"
#include "core/JobObserver.h"
#include "filing/FilingCheck.h"
#include "ocr/RecogniseScans.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

namespace qf {

// What one run of the batch command did, or with --plan would do: what --json prints.
struct BatchReport {
    struct Book {
        QString path;
        int pages = 0;
        long long bytes = -1; // -1 when not known
        int volumes = 0;      // a set of so many volumes: all their pages and bytes, no one path
        int scaledPages = 0;  // pages scaled to the size every page takes
        int shrunkPages = 0;  // pages scaled down to keep their numbers clear
    };
    struct Problem {
        QString file; // empty when no one file is concerned
        QString reason;
        bool warning = false; // otherwise an error
        bool note = false;    // what went well after a repair, said for the record
    };
    struct DocumentToConvert {
        QString document;
        QString pdfState; // "missing", "older" or "up_to_date"
    };

    struct Index {
        int pages = 0;
        bool blankSheetAfter = false;
    };

    struct Volume {
        QString path;
        int pages = 0;
        long long bytes = -1;
        int firstPage = 0; // zero-based, in the whole set
        QStringList documents;
    };

    std::optional<Book> book; // the first volume, when there are volumes
    QList<Volume> volumes;
    std::optional<Index> index;           // the index in front of the book
    QList<PlacedDocument> documents;      // those in the book, in order
    QList<RecognisedDocument> recognised; // whose scanned pages were made searchable
    QList<BookChange> changes;            // what a filing copy took out of its sources
    QList<ConvertedDocument> converted;
    QStringList upToDate; // documents --changed-only left alone
    QStringList deleted;
    QStringList trashed;
    std::optional<QList<DocumentToConvert>> toConvert; // with --plan
    std::optional<QList<FilingFinding>> findings;      // with --check-filing
    QList<Problem> problems;
    int exitStatus = 0;
    QStringList documentTypes; // the kinds of document the run listed; not reported

    void Add(const Problems &problems);
    void Add(const QList<Notice> &notices);
    void AddNotes(const Problems &notes);
    void AddError(const QString &file, const QString &reason) { problems.append({file, reason}); }
};

// The report as one JSON document, on one line when compact. Its shape is kept stable for
// scripts: fields may be added, never renamed or removed.
QByteArray ReportAsJson(const BatchReport &report, bool compact);

} // namespace qf
