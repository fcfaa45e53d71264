#pragma once

#include "batch/BatchReport.h"
#include "batch/Console.h"
#include "convert/WordProcessor.h"

#include <QStringList>

#include <map>
#include <optional>

namespace qf {

// The jobs and one-off choices of one batch run; an unset choice is the folder's own.
struct BatchJobs {
    bool remove = false;
    bool trash = false;
    bool convert = false;
    bool changedOnly = false;
    bool compile = false;
    bool plan = false;        // nothing is changed
    bool checkFiling = false; // nothing is changed
    std::optional<bool> blankSheets;
    std::optional<bool> fitBlankSheets;
    std::optional<bool> keepBookmarks;
    std::optional<bool> linearized;
    std::optional<bool> ocr;
    std::optional<QString> bookName;
    std::optional<QStringList> documentTypes;
    std::optional<bool> indexPage;
    std::optional<QString> pageNumbers; // empty: none
    std::optional<QString> volumeLimit; // empty: one book
    std::optional<QString> bookTitle;   // empty: the folder's name
    std::optional<bool> naturalOrder;   // --list-order natural or alphabetical
    std::optional<QString> bookmarkTitles;
    std::optional<QString> pageSize; // empty: pages as they are
    std::optional<bool> forFiling;
    std::map<QString, QString> passwords; // by the PDFs' names as listed; for this run only
};

// Runs the jobs on the folder once, in the order remove, convert, compile, with the ticks the
// window shows at start-up. Progress and problems go to the console as they come, and so do
// the results, as lines for people and scripts.
BatchReport RunBatchJobs(const QString &folder, const BatchJobs &jobs,
                         const WordProcessorStarter &wordProcessor, Console &console);

} // namespace qf
