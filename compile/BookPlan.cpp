#include "compile/BookPlan.h"

#include "automation/PdfDocument.h"
#include "compile/CompileBook.h"

namespace qf {

BookPlan PlanBook(const Workspace &ws, const QStringList &names, int blankSheetOption)
{
    BookPlan plan;
    PdfSuite suite;
    PDDoc source(suite);
    qsizetype previous = -1; // the last document that goes in
    for (const QString &name : names) {
        PlannedDocument doc;
        doc.name = name;
        doc.title = BookmarkTitle(name);
        const QString path = ws.PathOf(name);
        doc.status = source.Open(path);
        if (doc.status && source.GetNumPages() < 1)
            doc.status = Status::Failed(path, QStringLiteral("has no pages"));
        if (doc.status) {
            if (previous >= 0 &&
                NeedsBlankSheet(plan.documents[previous].pages, blankSheetOption)) {
                plan.documents[previous].blankAfter = true;
                ++plan.blankSheets;
                ++plan.totalPages;
            }
            doc.pages = source.GetNumPages();
            doc.startPage = plan.totalPages;
            plan.totalPages += doc.pages;
        }
        source.Close();
        plan.documents.append(doc);
        if (doc.status)
            previous = plan.documents.size() - 1;
    }
    return plan;
}

} // namespace qf
