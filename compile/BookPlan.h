#pragma once

#include "window/Status.h"
#include "window/Workspace.h"

#include <QList>
#include <QStringList>

namespace qf {

// The book a compile run would make, worked out without writing anything.
struct PlannedDocument {
    QString name;
    QString title;
    int pages = 0;      // 0 when it would be left out
    int startPage = -1; // zero-based; -1 when left out
    bool blankAfter = false;
    Status status; // not ok: why it would be left out
};

struct BookPlan {
    QList<PlannedDocument> documents;
    int totalPages = 0;
    int blankSheets = 0;
};

// Reads the page count of each named PDF of the working folder, in order, and lays the book out
// as CompileBook would with the blank-sheet option given (1: ticked).
BookPlan PlanBook(const Workspace &ws, const QStringList &names, int blankSheetOption);

} // namespace qf
