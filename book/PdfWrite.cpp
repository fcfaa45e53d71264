#include "book/PdfWrite.h"

#include "book/DamageWords.h"
#include "book/ObjectWriter.h"

#include "store/WholeFile.h"

#include <qpdf/Pl_Discard.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFSystemError.hh>
#include <qpdf/QPDFWriter.hh>

#include <QCoreApplication>
#include <QFile>

#include <libdeflate.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qf {
namespace {

// Where a book object was copied from; null for the book's own objects.
const PdfFile::Origin *OriginOf(const PdfFile &file, int objectId)
{
    auto after = std::upper_bound(
        file.origins.begin(), file.origins.end(), objectId,
        [](int id, const PdfFile::Origin &origin) { return id < origin.firstObject; });
    return after == file.origins.begin() ? nullptr : &*std::prev(after);
}

QString SourceOf(const PdfFile &file, int objectId)
{
    const PdfFile::Origin *origin = OriginOf(file, objectId);
    return origin ? origin->source : QString();
}

// "error decoding stream data for object 12 0: bad hex digit" speaks of the book's numbering,
// which means nothing to the user: keep what is wrong.
QString DamageDetail(const std::string &message)
{
    const QString text = QString::fromStdString(message), words = InUserWords(message);
    if (words != text)
        return words;
    const qsizetype colon = text.indexOf(QStringLiteral(": "));
    return colon < 0 ? text : text.mid(colon + 2);
}

// qpdf notes that a Flate stream's data ended just as its output buffer filled: the data is
// complete, and other readers take it as it is.
bool IsDamage(const QPDFExc &warning)
{
    return warning.getMessageDetail().find(
               "input stream is complete but output may still be valid") == std::string::npos;
}

// The warnings since the first `before` that tell of damage; those that do not are dropped.
std::vector<QPDFExc> NewDamage(QPDF &pdf, size_t before)
{
    if (pdf.numWarnings() <= before)
        return {};
    const std::vector<QPDFExc> all = pdf.getWarnings();
    std::vector<QPDFExc> damage;
    for (size_t i = 0; i < all.size(); ++i) {
        if (i >= before && IsDamage(all[i]))
            damage.push_back(all[i]);
        if (i < before || IsDamage(all[i]))
            pdf.warn(all[i]);
    }
    return damage;
}

} // namespace

void NameUndecodable(PdfFile &file, const QString &source, const QString &detail)
{
    if (source.isEmpty())
        return;
    for (const Status &named : file.damagedSources.list())
        if (named.file() == source)
            return;
    file.damagedSources.add(Status::Failed(
        source, QCoreApplication::translate(
                    "Book", "has page content that cannot be decoded (%1); its pages went "
                            "into the book as they are, so a viewer shows them as it shows "
                            "this file")
                    .arg(detail)));
}

namespace {

// Whether a stream's data decodes, or cannot be tried (a filter qpdf leaves alone); detail gets
// what is wrong when it does not.
bool Decodes(PdfFile &file, QPDFObjectHandle &stream, QString *detail)
{
    Pl_Discard discard;
    bool attempted = false;
    const size_t warningsBefore = file.pdf.numWarnings();
    try {
        // Reading from its file, qpdf warns of data it cannot inflate and goes on.
        const bool piped =
            stream.pipeStreamData(&discard, &attempted, 0, qpdf_dl_generalized, false, true);
        if ((piped || !attempted) && NewDamage(file.pdf, warningsBefore).empty())
            return true;
        *detail = DamageDetail("bad encoded data");
    } catch (const std::exception &e) {
        *detail = DamageDetail(e.what());
    }
    if (const std::vector<QPDFExc> damage = NewDamage(file.pdf, warningsBefore); !damage.empty())
        *detail = DamageDetail(damage.back().getMessageDetail());
    return false;
}

// Tries to decode every stream the writer would decode. One that fails is left to be written as it
// stands, and its source is named. True when at least one was found.
bool FindUndecodableStreams(PdfFile &file)
{
    bool found = false;
    const int count = int(file.pdf.getObjectCount());
    for (int id = 1; id <= count; ++id) {
        QPDFObjectHandle object = file.pdf.getObjectByID(id, 0);
        QString detail;
        if (!object.isStream() || Decodes(file, object, &detail))
            continue;
        found = true;
        object.setFilterOnWrite(false);
        NameUndecodable(file, SourceOf(file, id), detail);
    }
    return found;
}

// The writer copies Flate data as it stands, so it never finds data that cannot be decoded. Each
// copied Flate stream is tried here once and marked to be written as it stands, as it would be
// anyway; objects are numbered as they are made, so the look back stops at one tried before.
void FindUndecodableFlate(PdfFile &file)
{
    if (file.origins.empty())
        return;
    for (int id = int(file.pdf.getObjectCount()); id >= file.origins.front().firstObject; --id) {
        QPDFObjectHandle object = file.pdf.getObjectByID(id, 0);
        if (!object.isStream() || !IsFlate(object.getDict()))
            continue;
        const PdfFile::Origin *origin = OriginOf(file, id);
        if (!origin || origin->tried)
            continue;
        const QString source = origin->source;
        if (!object.getFilterOnWrite())
            break;
        object.setFilterOnWrite(false);
        QString detail;
        if (!Decodes(file, object, &detail))
            NameUndecodable(file, source, detail);
    }
}

// A version with an extension level is said in the catalog, as qpdf's writer says it.
void NoteExtensionLevel(PdfFile &file)
{
    std::string version;
    int extension = 0;
    file.version.getVersion(version, extension);
    QPDFObjectHandle root = file.pdf.getRoot();
    if (extension <= 0 || root.getKey("/Extensions").isDictionary())
        return;
    root.replaceKey("/Extensions", QPDFObjectHandle::parse("<< /ADBE << /BaseVersion /" + version +
                                                           " /ExtensionLevel " +
                                                           std::to_string(extension) + " >> >>"));
}

// How the book is written; data that cannot be decoded is written as it stands and its source
// named.
ObjectWriterOptions OptionsFor(PdfFile &file)
{
    ObjectWriterOptions options;
    options.version = file.version;
    options.objectStreams = file.objectStreams;
    options.undecodable = [&file](QPDFObjGen stream, const std::string &detail) {
        NameUndecodable(file, SourceOf(file, stream.getObj()),
                        DamageDetail(detail.empty() ? "bad encoded data" : detail));
    };
    return options;
}

// Writes the book through sink in one pass.
bool WriteThrough(PdfFile &file, const ByteSink &sink)
{
    NoteExtensionLevel(file);
    return WriteObjects(file.pdf, OptionsFor(file), sink);
}

} // namespace

ByteSink FileSink(int fd, int &error)
{
    return [fd, &error](std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n == 0 ? EIO : errno;
                return false;
            }
            bytes.remove_prefix(size_t(n));
        }
        return true;
    };
}

namespace {

Status WriteOnce(PdfFile &file, WholeFileWrite &out)
{
    // A second attempt starts from an empty file.
    const int fd = out.Descriptor();
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return Status::Failed(out.Target(), SystemReason(errno));
    int error = 0;
    if (!WriteThrough(file, FileSink(fd, error)))
        return Status::Failed(out.Target(), SystemReason(error));
    return Status::Ok();
}

} // namespace

QString PdfFailureReason(const std::exception &e)
{
    if (auto *exc = dynamic_cast<const QPDFExc *>(&e)) {
        if (exc->getErrorCode() == qpdf_e_password)
            return QCoreApplication::translate("Book", "is encrypted with a password");
        return QCoreApplication::translate("Book", "is damaged or not a PDF file (%1)")
            .arg(InUserWords(exc->getMessageDetail()));
    }
    if (auto *sys = dynamic_cast<const QPDFSystemError *>(&e))
        return QCoreApplication::translate("Book", "could not be read (%1)")
            .arg(SystemReason(sys->getErrno()));
    return InUserWords(e.what());
}

namespace {

// Whether a plain Flate stream's data inflates whole, with its checksum: libdeflate, set up once
// per thread, costs a fraction of a qpdf pipeline for the many small streams of a page. False also
// when it cannot tell (a predictor, data too large to hold); qpdf's own check then decides.
bool InflatesWhole(QPDFObjectHandle stream)
{
    // Room kept from one stream to the next: beyond it, each large stream takes its own for as
    // long as it is looked at, rather than every thread keeping the largest it saw.
    constexpr size_t kHeldAtMost = 1 << 20, kLargest = 64 << 20;
    struct Decompressor {
        libdeflate_decompressor *d = libdeflate_alloc_decompressor();
        ~Decompressor() { libdeflate_free_decompressor(d); }
    };
    thread_local Decompressor decompressor;
    thread_local std::string raw;
    thread_local std::vector<unsigned char> held;
    if (!decompressor.d || !stream.getDict().getKey("/DecodeParms").isNull())
        return false;
    if (raw.capacity() > kHeldAtMost)
        std::string().swap(raw);
    raw.clear();
    Pl_String into("raw", nullptr, raw);
    try {
        if (!stream.pipeStreamData(&into, nullptr, 0, qpdf_dl_none, true, false))
            return false;
    } catch (const std::exception &) {
        return false;
    }
    std::vector<unsigned char> large;
    for (size_t room = std::max<size_t>(64 << 10, raw.size() * 8); room <= kLargest; room *= 4) {
        std::vector<unsigned char> &out = room <= kHeldAtMost ? held : large;
        if (out.size() < room)
            out.resize(room);
        size_t in = 0, made = 0;
        const libdeflate_result result = libdeflate_zlib_decompress_ex(
            decompressor.d, raw.data(), raw.size(), out.data(), room, &in, &made);
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE)
            return result == LIBDEFLATE_SUCCESS && in == raw.size();
    }
    return false;
}

} // namespace

void TryFlateStreams(PdfFile &file, const std::vector<QPDFObjectHandle> &flate)
{
    // Data that cannot be decoded is said as such, not as damage the file was read with: the
    // tries' warnings are not kept.
    const std::vector<QPDFExc> damage = file.pdf.getWarnings();
    for (QPDFObjectHandle object : flate) {
        QString detail;
        if (!InflatesWhole(object) && !Decodes(file, object, &detail))
            file.undecodable.emplace_back(object, detail);
    }
    file.pdf.getWarnings();
    for (const QPDFExc &warning : damage)
        file.pdf.warn(warning);
}

Status WritePdfInto(PdfFile &file, WholeFileWrite &out)
{
    const auto fail = [&](const QString &reason) {
        return Status::Failed(
            out.Target(),
            QCoreApplication::translate("Book", "could not be written (%1)").arg(reason));
    };
    FindUndecodableFlate(file);
    size_t warningsBefore = file.pdf.numWarnings();
    Status written;
    try {
        written = WriteOnce(file, out);
    } catch (const QPDFSystemError &e) {
        return fail(SystemReason(e.getErrno()));
    } catch (const std::exception &e) {
        // A copied stream could not be decoded: write such streams as they stand, and say whose
        // they were.
        if (!FindUndecodableStreams(file))
            return fail(QString::fromStdString(e.what()));
        try {
            warningsBefore = file.pdf.numWarnings();
            written = WriteOnce(file, out);
        } catch (const std::exception &again) {
            return fail(QString::fromStdString(again.what()));
        }
    }
    if (!written)
        return fail(written.reason());
    if (const std::vector<QPDFExc> damage = NewDamage(file.pdf, warningsBefore); !damage.empty())
        return fail(QCoreApplication::translate("Book", "a page's content could not be read: %1")
                        .arg(DamageDetail(damage.back().getMessageDetail())));
    return Status::Ok();
}

namespace {

// The version a header says: at least 1.5 with object streams.
std::string HeaderVersion(PDFVersion version, bool objectStreams)
{
    if (objectStreams)
        version.updateIfGreater(PDFVersion(1, 5));
    std::string text;
    int extension = 0;
    version.getVersion(text, extension);
    return text;
}

} // namespace

BookWriter::BookWriter(PdfFile &book, bool objectStreams, ByteSink sink, HeaderPatch patch)
    : book_(book), objectStreams_(objectStreams), patch_(std::move(patch))
{
    book_.objectStreams = objectStreams;
    writer_ = std::make_unique<PdfStreamWriter>(ObjectWriterOptions{}, std::move(sink));
    // The page tree's number comes first: every piece's pages name it as their parent.
    pageTree_ = writer_->ReserveNumbers(1);
    known_[book_.pdf.getRoot().getKey("/Pages").getObjGen()] = {pageTree_, false};
}

BookWriter::~BookWriter() = default;

BookNumbering BookWriter::Numbering() const
{
    BookNumbering numbering;
    numbering.pageTree = pageTree_;
    numbering.next = pageTree_ + 1;
    numbering.objectStreams = objectStreams_;
    return numbering;
}

bool BookWriter::Add(const SourcePiece &piece)
{
    if (!started_) {
        started_ = true;
        ObjectWriterOptions options = OptionsFor(book_);
        header_ = HeaderVersion(options.version, objectStreams_);
        writer_->Configure(options);
        failed_ = !writer_->Begin();
    }
    if (!failed_)
        failed_ = !writer_->Append(piece.written);
    for (size_t i = 0; i < piece.pages.size(); ++i) {
        QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
        page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        if (i + 1 == piece.pages.size()) {
            // A blank sheet after it may take its size.
            const std::pair<const char *, const std::string &> boxes[] = {
                {"/MediaBox", piece.lastMediaBox},
                {"/CropBox", piece.lastCropBox},
                {"/Rotate", piece.lastRotate}};
            for (const auto &[key, text] : boxes)
                if (!text.empty())
                    page.replaceKey(key, QPDFObjectHandle::parse(text));
        }
        page = book_.pdf.makeIndirectObject(page);
        book_.pdf.addPage(page, false);
        known_[page.getObjGen()] = {piece.pages[i], true};
        if (i < piece.pageObjects.size() && piece.pageObjects[i] > 0)
            standIns_[page.getObjGen()] = {piece.pageObjects[i],
                                           i < piece.notes.size() ? piece.notes[i] : ""};
    }
    return !failed_;
}

QPDFObjectHandle BookWriter::Written(int number)
{
    QPDFObjectHandle &standIn = written_[number];
    if (!standIn.isInitialized()) {
        standIn = book_.pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        known_[standIn.getObjGen()] = {number, true};
    }
    return standIn;
}

void BookWriter::WriteAs(QPDFObjectHandle object, int number)
{
    known_[object.getObjGen()] = {number, false};
}

void BookWriter::PiecesDone(int firstFree)
{
    writer_->ReserveBelow(firstFree);
}

TextWriter BookWriter::Text()
{
    return [this](const TextMaker &text) {
        if (!textLayout_)
            textLayout_ = std::make_unique<ObjectLayout>(
                objectStreams_, [this] { return writer_->ReserveNumbers(1); }, text_);
        // What the text refers to is written by the book under the number it takes here.
        const NumberOf numberOf = [this](QPDFObjectHandle object) {
            auto [known, added] =
                known_.try_emplace(object.getObjGen(), PdfStreamWriter::Numbered{});
            if (added)
                known->second.number = writer_->ReserveNumbers(1);
            return known->second.number;
        };
        const int number = writer_->ReserveNumbers(1);
        textLayout_->AddText(number, text(numberOf));
        return Written(number);
    };
}

StandIns BookWriter::StandInsFor(std::map<std::string, int> shared)
{
    StandIns standIns;
    standIns.pages = std::move(standIns_);
    standIns.shared = std::move(shared);
    standIns.write = [this](QPDFObjectHandle object, int number) {
        known_[object.getObjGen()] = {number, false};
    };
    return standIns;
}

Status BookWriter::Finish(int firstFree, PendingObjects carried, const QString &target,
                          int sinkError)
{
    const auto fail = [&](const QString &reason) {
        return Status::Failed(
            target, QCoreApplication::translate("Book", "could not be written (%1)").arg(reason));
    };
    if (failed_)
        return fail(SystemReason(sinkError ? sinkError : EIO));
    NoteExtensionLevel(book_);
    const std::string version = HeaderVersion(book_.version, objectStreams_);
    // A header that cannot be mended in place gives way to the catalog's /Version.
    if (version != header_ && (version.size() != header_.size() || !patch_))
        book_.pdf.getRoot().replaceKey("/Version", QPDFObjectHandle::newName("/" + version));
    FindUndecodableFlate(book_);
    const size_t warningsBefore = book_.pdf.numWarnings();
    try {
        writer_->ReserveBelow(firstFree);
        if (textLayout_) {
            textLayout_->Flush();
            textLayout_.reset();
            if (!writer_->Append(std::exchange(text_, {})))
                return fail(SystemReason(sinkError ? sinkError : EIO));
        }
        if (!writer_->Finish(book_.pdf, known_, std::move(carried)))
            return fail(SystemReason(sinkError ? sinkError : EIO));
    } catch (const QPDFSystemError &e) {
        return fail(SystemReason(e.getErrno()));
    } catch (const std::exception &e) {
        return fail(QString::fromStdString(e.what()));
    }
    if (version != header_ && version.size() == header_.size() && patch_ &&
        !patch_("%PDF-" + version))
        return fail(SystemReason(errno));
    if (const std::vector<QPDFExc> damage = NewDamage(book_.pdf, warningsBefore); !damage.empty())
        return fail(QCoreApplication::translate("Book", "a page's content could not be read: %1")
                        .arg(DamageDetail(damage.back().getMessageDetail())));
    return Status::Ok();
}

Status WritePdfAtomically(PdfFile &file, const QString &path)
{
    WholeFileWrite out;
    if (const Status begun = out.Begin(path); !begun)
        return begun;
    if (const Status written = WritePdfInto(file, out); !written) {
        out.Abandon();
        return Status::Failed(path, written.reason());
    }
    return out.Commit();
}

} // namespace qf
