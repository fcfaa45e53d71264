#include "automation/Viewer.h"

#include "automation/Outline.h"

#include <QCoreApplication>

namespace qf {

Status AVPageView::GoTo(int page)
{
    const auto &file = suite_->viewed;
    if (!file || page < 0 || page >= int(file->pdf.getAllPages().size()))
        return Status::Failed(file ? file->path : QString(),
                              QCoreApplication::translate("Book", "has no page %1").arg(page + 1));
    suite_->currentPage = page;
    return Status::Ok();
}

bool AVDoc::Open(const QString &path, const QString & /*title*/)
{
    PDDoc doc(*suite_);
    openStatus_ = doc.Open(path);
    if (!openStatus_)
        return false;
    suite_->viewed = doc.file();
    suite_->currentPage = 0;
    return true;
}

PDDoc AVDoc::GetPDDoc() const
{
    return PDDoc(*suite_, suite_->viewed);
}

Status AcroApp::MenuItemExecute(const QString &item)
{
    const auto &file = suite_->viewed;
    if (!file)
        return Status::Failed(QString(),
                              QCoreApplication::translate("Book", "the viewer shows no document"));
    if (item == kNewBookmarkMenuItem) {
        if (suite_->currentPage >= int(file->pdf.getAllPages().size()))
            return Status::Failed(file->path,
                                  QCoreApplication::translate("Book", "has no page to bookmark"));
        AddOutlineItem(*file, kNewBookmarkTitle, suite_->currentPage);
        return Status::Ok();
    }
    if (item == kSaveMenuItem)
        return PDDoc(*suite_, file).Save(1, file->path);
    return Status::Failed(
        file->path,
        QCoreApplication::translate("Book", "the viewer has no menu item \"%1\"").arg(item));
}

bool PDBookmark::GetByTitle(const PDDoc &doc, const QString &title)
{
    file_ = doc.file();
    item_ = file_ ? FindOutlineItem(*file_, title) : QPDFObjectHandle::newNull();
    return item_.isDictionary();
}

bool PDBookmark::SetTitle(const QString &title)
{
    if (!item_.isDictionary())
        return false;
    RetitleOutlineItem(*file_, item_, title);
    return true;
}

bool PDBookmark::Destroy()
{
    if (!item_.isDictionary())
        return false;
    RemoveOutlineItem(*file_, item_);
    item_ = QPDFObjectHandle::newNull();
    return true;
}

} // namespace qf
