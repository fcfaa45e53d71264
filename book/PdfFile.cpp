#include "book/PdfFile.h"

#include "book/DamageWords.h"
#include "book/PdfWrite.h"

#include <qpdf/QPDFExc.hh>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace qf {
namespace {

// A version as qpdf's getVersionAsPDFVersion reads it ("1.4" at the start, after blanks; 0.0
// when there is none), which builds a regular expression on each call and so costs more than
// reading a small file.
PDFVersion ParseVersion(const std::string &text, int extension)
{
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
    return PDFVersion(major, minor, extension);
}

PDFVersion VersionOf(QPDF &pdf)
{
    return ParseVersion(pdf.getPDFVersion(), pdf.getExtensionLevel());
}

// Files up to this size are parsed in memory; a larger one's bytes would sit beside all that qpdf
// makes of it, and its parse gains little.
constexpr qint64 kReadWholeBelow = 4 << 20;

std::shared_ptr<PdfFile> NewFile()
{
    auto file = std::make_shared<PdfFile>();
    file->pdf.setSuppressWarnings(true);
    // Stream data is copied when pages are copied, so a source can be closed right after.
    file->pdf.setImmediateCopyFrom(true);
    return file;
}

} // namespace

std::shared_ptr<PdfFile> NewBook()
{
    auto book = NewFile();
    book->pdf.emptyPDF();
    book->version = PDFVersion(1, 3);
    return book;
}

namespace {

// Parses file's PDF, by parse, with its page tree.
template <typename Parse>
Status ReadInto(const QString &path, std::shared_ptr<PdfFile> file, Parse parse,
                std::shared_ptr<PdfFile> &read, bool passwordGiven)
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
    } catch (const QPDFExc &e) {
        if (passwordGiven && e.getErrorCode() == qpdf_e_password)
            return Status::Failed(path, QCoreApplication::translate(
                                            "Book", "is encrypted, and the password given for it "
                                                    "is wrong"));
        return Status::Failed(path, PdfFailureReason(e));
    } catch (const std::exception &e) {
        return Status::Failed(path, PdfFailureReason(e));
    }
    file->path = AbsolutePdfPath(path);
    read = std::move(file);
    return Status::Ok();
}

} // namespace

namespace {

// A file cut short before its cross-reference stream's end: its data whole, but the pointer to it
// gone. The copy ends that stream's object and points at it again, as viewers find it themselves;
// empty when the file is not so.
QByteArray RebuiltEnd(const QByteArray &bytes)
{
    constexpr qsizetype kLookedAt = 1024;
    if (bytes.right(kLookedAt).contains("%%EOF"))
        return {};
    const qsizetype type = bytes.lastIndexOf("/XRef");
    // The object's header, "N G obj", at the start of its line.
    const qsizetype header = bytes.lastIndexOf(" obj", type);
    qsizetype start = header;
    while (start > 0 && bytes[start - 1] != '\n' && bytes[start - 1] != '\r')
        --start;
    if (type < 0 || header < 0 || start <= 0 ||
        !std::isdigit(static_cast<unsigned char>(bytes[start])))
        return {};
    // Its data, as long as its dictionary says, must all be there.
    const qsizetype length = bytes.indexOf("/Length", header);
    qsizetype data = bytes.indexOf("stream", header);
    if (length < 0 || data < 0 || length > data)
        return {};
    bool number = false;
    const qsizetype size =
        bytes.mid(length + 7, data - length - 7).split('/').first().trimmed().toLongLong(&number);
    data += 6;
    data += bytes.mid(data, 2) == "\r\n" ? 2 : 1;
    if (!number || size < 0 || data + size > bytes.size())
        return {};
    return bytes.left(data + size) + "\nendstream\nendobj\nstartxref\n" +
           QByteArray::number(start) + "\n%%EOF\n";
}

} // namespace

Repairs RepairsOf(PdfFile &file)
{
    Repairs repairs;
    for (const QPDFExc &warning : file.pdf.getWarnings()) {
        const std::string &detail = warning.getMessageDetail();
        if (detail == "file is damaged")
            continue; // said beside every repair
        QString &first = LosesNothing(detail) ? repairs.lossless : repairs.lossy;
        if (first.isEmpty())
            first = InUserWords(detail);
    }
    if (repairs.lossy.isEmpty() && repairs.lossless.isEmpty() && file.pdf.anyWarnings())
        repairs.lossy = QCoreApplication::translate("Book", "file is damaged");
    return repairs;
}

Status ReadPdfFile(const QString &path, std::shared_ptr<PdfFile> &read, const QString &password)
{
    read.reset();
    const QFileInfo info(path);
    if (!info.exists())
        return Status::Failed(path, QCoreApplication::translate("Book", "no longer exists"));
    if (!info.isFile())
        return Status::Failed(path, QCoreApplication::translate("Book", "is not a file"));
    // A small file is read at once: parsing then seeks in memory rather than in the file.
    QFile whole(path);
    QByteArray bytes;
    Status status;
    if (info.size() <= kReadWholeBelow && whole.open(QIODevice::ReadOnly)) {
        bytes = whole.readAll();
        status = ReadPdfBytes(path, bytes, read, password);
    } else {
        const QByteArray name = QFile::encodeName(path), secret = password.toUtf8();
        status = ReadInto(
            path, NewFile(),
            [&](PdfFile &file) {
                file.pdf.processFile(name.constData(),
                                     password.isEmpty() ? nullptr : secret.constData());
            },
            read, !password.isEmpty());
    }
    if (status)
        return status;
    // A file cut short is read as viewers read it, and named as repaired.
    if (!whole.isOpen() && whole.open(QIODevice::ReadOnly))
        bytes = whole.readAll();
    const QByteArray rebuilt = RebuiltEnd(bytes);
    if (rebuilt.isEmpty() || !ReadPdfBytes(path, rebuilt, read, password))
        return status;
    read->pdf.warn(QPDFExc(qpdf_e_damaged_pdf, path.toStdString(), "", 0,
                           "the file was cut short; its end was rebuilt"));
    return Status::Ok();
}

Status ReadPdfBytes(const QString &path, const QByteArray &bytes, std::shared_ptr<PdfFile> &read,
                    const QString &password)
{
    read.reset();
    auto file = NewFile();
    file->bytes = bytes;
    const QByteArray name = QFile::encodeName(path), secret = password.toUtf8();
    return ReadInto(
        path, file,
        [&](PdfFile &in) {
            in.pdf.processMemoryFile(name.constData(), in.bytes.constData(),
                                     size_t(in.bytes.size()),
                                     password.isEmpty() ? nullptr : secret.constData());
        },
        read, !password.isEmpty());
}

namespace {

// Where the file's last cross-reference section starts, as the startxref in tail (the end of a
// file of size bytes) says; -1 when it says nothing that can be.
qint64 LastSectionStart(const QByteArray &tail, qint64 size)
{
    const qsizetype pointer = tail.lastIndexOf("startxref");
    if (pointer < 0)
        return -1;
    bool number = false;
    const qint64 start =
        tail.mid(pointer + 9).trimmed().split('\n').first().trimmed().toLongLong(&number);
    return number && start >= 0 && start < size ? start : -1;
}

// Whether the file's trailer may name an encryption dictionary: false only where the last
// cross-reference section's dictionary is found and does not, and the start of the file (a
// linearized file's first trailer) does not either. A run in the window asks it of every ticked
// PDF before it starts, where having qpdf read each one's whole table would hold the window up.
bool MayBeEncrypted(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const qint64 size = file.size();
    constexpr qint64 kLooked = 2048;
    const QByteArray head = file.read(kLooked);
    file.seek(std::max<qint64>(0, size - kLooked));
    const QByteArray tail = file.read(kLooked);
    if (head.contains("/Encrypt") || tail.contains("/Encrypt"))
        return true;
    const qint64 start = LastSectionStart(tail, size);
    if (start < 0 || !file.seek(start))
        return true;
    // A table's trailer follows its entries, which may be many: it is in the tail read already,
    // which does not name an encryption dictionary, unless it is not there at all.
    const QByteArray section = file.read(kLooked);
    if (section.startsWith("xref"))
        return tail.lastIndexOf("trailer") < 0;
    // A stream's dictionary comes before its data.
    const qsizetype stream = section.indexOf("stream");
    return stream < 0 || section.left(stream).contains("/Encrypt");
}

} // namespace

bool NeedsPassword(const QString &path)
{
    if (!MayBeEncrypted(path))
        return false;
    // qpdf reads no more than the trailer and the encryption dictionary to tell.
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processFile(QFile::encodeName(path).constData());
    } catch (const QPDFExc &e) {
        return e.getErrorCode() == qpdf_e_password;
    } catch (const std::exception &) {
    }
    return false;
}

PDFVersion PeekPdfVersion(const QString &path)
{
    // qpdf looks as far for the header.
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(1024) : QByteArray();
    const qsizetype at = head.indexOf("%PDF-");
    return at < 0 ? PDFVersion(0, 0) : ParseVersion(head.mid(at + 5).toStdString(), 0);
}

qint64 PeekObjectCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const qint64 size = file.size();
    // The last cross-reference section's dictionary says it: after it in a table's trailer,
    // before its data in a stream, where the file's last startxref points.
    file.seek(std::max<qint64>(0, size - 1024));
    const QByteArray tail = file.read(1024);
    qsizetype at = tail.lastIndexOf("/Size");
    QByteArray around = tail;
    if (at < 0) {
        const qint64 start = LastSectionStart(tail, size);
        if (start < 0 || !file.seek(start))
            return size / 100;
        around = file.read(1024);
        at = around.indexOf("/Size");
    }
    if (at < 0)
        return size / 100;
    qsizetype end = at + 5;
    while (end < around.size() && (around[end] == ' ' || around[end] == '\r' ||
                                   around[end] == '\n' || std::isdigit(uchar(around[end]))))
        ++end;
    bool number = false;
    const qint64 count = around.mid(at + 5, end - at - 5).trimmed().toLongLong(&number);
    return number && count > 0 ? count : size / 100;
}

Status AppendPages(PdfFile &book, PdfFile &source)
{
    QPDF &pdf = book.pdf;
    QPDF &from = source.pdf;
    std::vector<QPDFObjectHandle> pages = from.getAllPages(); // a copy: the book's list changes
    // Links that point at pages of the same document must point at the copies: the pages go in
    // without their annotations, which follow once every page has its copy.
    std::vector<QPDFObjectHandle> annotations;
    for (QPDFObjectHandle &page : pages) {
        annotations.push_back(page.getKey("/Annots"));
        page.removeKey("/Annots");
    }
    const auto restoreSource = [&] {
        for (size_t i = 0; i < pages.size(); ++i)
            if (annotations[i].isArray())
                pages[i].replaceKey("/Annots", annotations[i]);
    };
    std::vector<QPDFObjectHandle> added;
    const int firstObject = int(pdf.getObjectCount()) + 1;
    try {
        for (const QPDFObjectHandle &page : pages) {
            pdf.addPage(page, false);
            added.push_back(pdf.getAllPages().back());
        }
        for (size_t i = 0; i < pages.size(); ++i) {
            QPDFObjectHandle links = annotations[i];
            if (!links.isArray())
                continue;
            if (!links.isIndirect())
                links = from.makeIndirectObject(links);
            added[i].replaceKey("/Annots", pdf.copyForeignObject(links));
        }
    } catch (const std::exception &e) {
        restoreSource();
        for (const QPDFObjectHandle &page : added)
            pdf.removePage(page);
        return Status::Failed(source.path, PdfFailureReason(e));
    }
    restoreSource();
    if (int(pdf.getObjectCount()) >= firstObject)
        book.origins.push_back({firstObject, source.path, source.prepared});
    // What the source's reading found is marked on the copies: the copier gives back the copy it
    // made. (One not among the pages' objects is made, and never written.)
    for (const auto &[stream, detail] : source.undecodable) {
        try {
            pdf.copyForeignObject(stream).setFilterOnWrite(false);
        } catch (const std::exception &) {
            continue; // not copied, so not written
        }
        NameUndecodable(book, source.path, detail);
    }
    book.version.updateIfGreater(source.version);
    return Status::Ok();
}

void RemovePagesFrom(PdfFile &book, int first)
{
    const std::vector<QPDFObjectHandle> pages = book.pdf.getAllPages();
    for (size_t i = size_t(std::max(first, 0)); i < pages.size(); ++i)
        book.pdf.removePage(pages[i]);
}

namespace {

class Disposal {
public:
    ~Disposal()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        pending_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    void Add(std::shared_ptr<PdfFile> file)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(file));
            if (!thread_.joinable())
                thread_ = std::thread([this] { Work(); });
        }
        pending_.notify_all();
    }

private:
    void Work()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            pending_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            std::vector<std::shared_ptr<PdfFile>> freeing = std::exchange(queue_, {});
            lock.unlock();
            freeing.clear();
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable pending_;
    std::vector<std::shared_ptr<PdfFile>> queue_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace

void FreeLater(std::shared_ptr<PdfFile> file)
{
    static Disposal disposal;
    disposal.Add(std::move(file));
}

QString AbsolutePdfPath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace qf
