#include "compile/BookmarkBook.h"

#include "automation/Viewer.h"

#include <QCoreApplication>

namespace qf {
namespace {

// Makes a bookmark at the current page and binds bookmark to it.
Status NewBookmark(AcroApp &app, const PDDoc &doc, PDBookmark &bookmark)
{
    const Status made = app.MenuItemExecute(kNewBookmarkMenuItem);
    if (!made)
        return made;
    if (!bookmark.GetByTitle(doc, kNewBookmarkTitle))
        return Status::Failed(doc.file()->path, QCoreApplication::translate(
                                                    "Book", "the new bookmark was not found"));
    return Status::Ok();
}

} // namespace

Status BookmarkBook(PdfSuite &suite, const QString &outputPath, const BookmarkTable &table,
                    const std::function<void(const Notice &)> &tell,
                    const std::function<void(PdfFile &book)> &beforeSave)
{
    AcroApp app(suite);
    AVDoc view(suite);
    if (!view.Open(outputPath, outputPath)) {
        tell({QCoreApplication::translate("Book", "Could not open file"), kProgramTitle,
              Notice::Icon::None});
        return Status::Ok(); // said already
    }
    const PDDoc doc = view.GetPDDoc();
    AVPageView pageView = view.GetAVPageView();
    app.Show();
    app.Maximize(100);

    for (const BookmarkRow &row : table) {
        Status step = pageView.GoTo(row.startPage);
        PDBookmark bookmark;
        if (step)
            step = NewBookmark(app, doc, bookmark);
        if (!step)
            return step;
        bookmark.SetTitle(row.title);
    }
    // One more is made and removed again; no bookmark titled "Untitled" is left.
    PDBookmark extra;
    if (const Status step = NewBookmark(app, doc, extra); !step)
        return step;
    extra.Destroy();

    pageView.GoTo(0);
    if (beforeSave)
        beforeSave(*doc.file());
    return app.MenuItemExecute(kSaveMenuItem);
}

} // namespace qf
