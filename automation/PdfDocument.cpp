#include "automation/PdfDocument.h"

#include "automation/PdfWrite.h"
#include "store/WholeFile.h"

#include <QFile>
#include <QFileInfo>

namespace qf {
namespace {

std::shared_ptr<PdfFile> NewFile()
{
    auto file = std::make_shared<PdfFile>();
    file->pdf.setSuppressWarnings(true);
    // Stream data is copied when pages are copied, so a source can be closed right after.
    file->pdf.setImmediateCopyFrom(true);
    return file;
}

} // namespace

Status PDDoc::Create()
{
    file_ = NewFile();
    file_->pdf.emptyPDF();
    file_->version = PDFVersion(1, 3);
    return Status::Ok();
}

Status PDDoc::Open(const QString &path)
{
    file_.reset();
    if (auto shared = suite_->Find(path)) {
        file_ = shared;
        return Status::Ok();
    }
    const QFileInfo info(path);
    if (!info.exists())
        return Status::Failed(path, QStringLiteral("no longer exists"));
    if (!info.isFile())
        return Status::Failed(path, QStringLiteral("is not a file"));
    auto file = NewFile();
    try {
        file->pdf.processFile(QFile::encodeName(path).constData());
        // Reads the page tree now, so damage there shows here. A page that could not be read at
        // all is no page: copied, it would be a broken entry in the book's page tree.
        const std::vector<QPDFObjectHandle> pages = file->pdf.getAllPages();
        for (QPDFObjectHandle page : pages)
            if (!page.isDictionary())
                file->pdf.removePage(page);
        file->version = file->pdf.getVersionAsPDFVersion();
    } catch (const std::exception &e) {
        return Status::Failed(path, PdfFailureReason(e));
    }
    file->path = AbsolutePdfPath(path);
    file->unsaved = false;
    file_ = file;
    suite_->Remember(file_);
    return Status::Ok();
}

int PDDoc::GetNumPages() const
{
    return file_ ? int(file_->pdf.getAllPages().size()) : -1;
}

Status PDDoc::InsertPages(int after, const PDDoc &source, int first, int count,
                          bool /*withBookmarks*/)
{
    if (!file_ || !source.file_)
        return Status::Failed(source.file_ ? source.file_->path : QString(),
                              QStringLiteral("no document is open"));
    const QString name = source.file_->path;
    const int sourcePages = source.GetNumPages();
    const int ownPages = GetNumPages();
    if (first < 0 || count < 1 || first + count > sourcePages || after < -1 || after >= ownPages)
        return Status::Failed(
            name,
            QStringLiteral("has no pages %1 to %2 to insert").arg(first + 1).arg(first + count));
    QPDF &pdf = file_->pdf;
    QPDF &from = source.file_->pdf;
    std::vector<QPDFObjectHandle> pages = from.getAllPages(); // a copy: the list changes
    // Links that point at pages of the same document must point at the copies: the pages go in
    // without their annotations, which follow once every page has its copy.
    std::vector<QPDFObjectHandle> annotations;
    for (int i = 0; i < count; ++i) {
        QPDFObjectHandle page = pages.at(size_t(first + i));
        annotations.push_back(page.getKey("/Annots"));
        page.removeKey("/Annots");
    }
    auto restoreSource = [&] {
        for (int i = 0; i < count; ++i)
            if (annotations[size_t(i)].isArray())
                pages.at(size_t(first + i)).replaceKey("/Annots", annotations[size_t(i)]);
    };
    std::vector<QPDFObjectHandle> added;
    const int firstObject = int(pdf.getObjectCount()) + 1;
    try {
        for (int i = 0; i < count; ++i) {
            const QPDFObjectHandle &page = pages.at(size_t(first + i));
            const int at = after + 1 + i;
            if (at == int(pdf.getAllPages().size()))
                pdf.addPage(page, false);
            else
                pdf.addPageAt(page, true, pdf.getAllPages().at(size_t(at)));
            added.push_back(pdf.getAllPages().at(size_t(at)));
        }
        for (int i = 0; i < count; ++i) {
            QPDFObjectHandle links = annotations[size_t(i)];
            if (!links.isArray())
                continue;
            if (!links.isIndirect())
                links = from.makeIndirectObject(links);
            added[size_t(i)].replaceKey("/Annots", pdf.copyForeignObject(links));
        }
    } catch (const std::exception &e) {
        restoreSource();
        for (const auto &page : added)
            pdf.removePage(page);
        return Status::Failed(name, PdfFailureReason(e));
    }
    restoreSource();
    if (int(pdf.getObjectCount()) >= firstObject)
        file_->origins.push_back({firstObject, name});
    file_->version.updateIfGreater(source.file_->version);
    file_->unsaved = true;
    return Status::Ok();
}

Status PDDoc::DeletePages(int first, int last)
{
    if (!file_ || first < 0 || last < first || last >= GetNumPages())
        return Status::Failed(
            file_ ? file_->path : QString(),
            QStringLiteral("has no pages %1 to %2 to delete").arg(first + 1).arg(last + 1));
    const std::vector<QPDFObjectHandle> pages = file_->pdf.getAllPages();
    for (int i = first; i <= last; ++i)
        file_->pdf.removePage(pages.at(size_t(i)));
    file_->unsaved = true;
    return Status::Ok();
}

void PDDoc::Close()
{
    file_.reset();
}

void PDDoc::StageIn(WholeFileWrite &write)
{
    if (!file_)
        return;
    file_->path = AbsolutePdfPath(write.TemporaryPath());
    file_->staging = &write;
    file_->unsaved = true;
    suite_->Remember(file_);
}

Status PDDoc::Save(int /*flags*/, const QString &path)
{
    if (!file_)
        return Status::Failed(path, QStringLiteral("no document is open to be saved"));
    const QString target = AbsolutePdfPath(path);
    if (file_->path == target && !file_->unsaved && QFileInfo(target).isFile())
        return Status::Ok(); // the file holds this very content already
    const bool staged = file_->staging && target == file_->path;
    const Status written =
        staged ? WritePdfInto(*file_, *file_->staging) : WritePdfAtomically(*file_, target);
    if (!written)
        return written;
    file_->path = target;
    file_->unsaved = false;
    suite_->Remember(file_);
    return Status::Ok();
}

} // namespace qf
