#include "automation/PdfDocument.h"

#include "automation/PdfWrite.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <utility>

namespace qf {
namespace {

// The file's PDF version, read as qpdf's getVersionAsPDFVersion reads it ("1.4" at the start,
// after blanks; 0.0 when there is none), which builds a regular expression on each call and so
// costs more than reading a small file.
PDFVersion VersionOf(QPDF &pdf)
{
    const std::string text = pdf.getPDFVersion();
    size_t at = text.find_first_not_of(" \t\r\n\f\v");
    const auto number = [&](int &value) {
        const size_t start = at;
        value = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
               value < 100000)
            value = value * 10 + (text[at++] - '0');
        return at > start;
    };
    int major = 0, minor = 0;
    if (at == std::string::npos || !number(major) || at >= text.size() || text[at++] != '.' ||
        !number(minor))
        major = minor = 0;
    return PDFVersion(major, minor, pdf.getExtensionLevel());
}

// Files up to this size are parsed in memory.
constexpr qint64 kReadWholeBelow = 16 << 20;

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

namespace {

// Parses file's PDF, by parse, with its page tree.
template <typename Parse>
Status ReadInto(const QString &path, std::shared_ptr<PdfFile> file, Parse parse,
                std::shared_ptr<PdfFile> &read)
{
    try {
        parse(*file);
        // Reads the page tree now, so damage there shows here. A page that could not be read at
        // all is no page: copied, it would be a broken entry in the book's page tree.
        const std::vector<QPDFObjectHandle> pages = file->pdf.getAllPages();
        for (QPDFObjectHandle page : pages)
            if (!page.isDictionary())
                file->pdf.removePage(page);
        file->version = VersionOf(file->pdf);
    } catch (const std::exception &e) {
        return Status::Failed(path, PdfFailureReason(e));
    }
    file->path = AbsolutePdfPath(path);
    file->unsaved = false;
    read = std::move(file);
    return Status::Ok();
}

} // namespace

Status ReadPdfFile(const QString &path, std::shared_ptr<PdfFile> &read)
{
    read.reset();
    const QFileInfo info(path);
    if (!info.exists())
        return Status::Failed(path, QCoreApplication::translate("Book", "no longer exists"));
    if (!info.isFile())
        return Status::Failed(path, QCoreApplication::translate("Book", "is not a file"));
    // A small file is read at once: parsing then seeks in memory rather than in the file.
    QFile whole(path);
    if (info.size() <= kReadWholeBelow && whole.open(QIODevice::ReadOnly))
        return ReadPdfBytes(path, whole.readAll(), read);
    const QByteArray name = QFile::encodeName(path);
    return ReadInto(
        path, NewFile(), [&](PdfFile &file) { file.pdf.processFile(name.constData()); }, read);
}

Status ReadPdfBytes(const QString &path, const QByteArray &bytes, std::shared_ptr<PdfFile> &read)
{
    read.reset();
    auto file = NewFile();
    file->bytes = bytes;
    const QByteArray name = QFile::encodeName(path);
    return ReadInto(
        path, file,
        [&](PdfFile &in) {
            in.pdf.processMemoryFile(name.constData(), in.bytes.constData(),
                                     size_t(in.bytes.size()));
        },
        read);
}

Status PDDoc::Open(const QString &path)
{
    file_.reset();
    if (auto shared = suite_->Find(path)) {
        file_ = shared;
        return Status::Ok();
    }
    const Status read = ReadPdfFile(path, file_);
    if (file_)
        suite_->Remember(file_);
    return read;
}

void PDDoc::Adopt(std::shared_ptr<PdfFile> file)
{
    file_ = std::move(file);
    if (file_)
        suite_->Remember(file_);
}

std::shared_ptr<PdfFile> PDDoc::Release()
{
    return std::exchange(file_, nullptr);
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
                              QCoreApplication::translate("Book", "no document is open"));
    const QString name = source.file_->path;
    const int sourcePages = source.GetNumPages();
    const int ownPages = GetNumPages();
    if (first < 0 || count < 1 || first + count > sourcePages || after < -1 || after >= ownPages)
        return Status::Failed(name,
                              QCoreApplication::translate("Book", "has no pages %1 to %2 to insert")
                                  .arg(first + 1)
                                  .arg(first + count));
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
        file_->origins.push_back({firstObject, name, source.file_->prepared});
    // What the source's reading found is marked on the copies: the copier gives back the copy it
    // made. (One not among the pages' objects is made, and never written.)
    for (const auto &[stream, detail] : source.file_->undecodable) {
        try {
            pdf.copyForeignObject(stream).setFilterOnWrite(false);
        } catch (const std::exception &) {
            continue; // not copied, so not written
        }
        NameUndecodable(*file_, name, detail);
    }
    file_->version.updateIfGreater(source.file_->version);
    file_->unsaved = true;
    return Status::Ok();
}

Status PDDoc::DeletePages(int first, int last)
{
    if (!file_ || first < 0 || last < first || last >= GetNumPages())
        return Status::Failed(file_ ? file_->path : QString(),
                              QCoreApplication::translate("Book", "has no pages %1 to %2 to delete")
                                  .arg(first + 1)
                                  .arg(last + 1));
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
        return Status::Failed(
            path, QCoreApplication::translate("Book", "no document is open to be saved"));
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
