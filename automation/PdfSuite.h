#pragma once

#include "core/Status.h"

#include <qpdf/PDFVersion.hh>
#include <qpdf/QPDF.hh>

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace qf {

class WholeFileWrite;

// One PDF in memory. A document and a view opened on the same path share it, so what the
// viewer adds is in the document's next save.
struct PdfFile {
    QByteArray bytes; // the file's content, when it was read at once; pdf parses it in place
    QPDF pdf;
    QString path;       // absolute path it was opened from or last saved to; empty when new
    PDFVersion version; // the highest version of the pages it holds
    // How it is written: object streams and a cross-reference stream (PDF 1.5) make a book a
    // third smaller; linearized, a viewer shows its first page before the rest has arrived.
    bool objectStreams = false;
    bool linearized = false;
    bool unsaved = true; // changed since it was last read or written at path
    std::vector<QPDFObjectHandle> madeOutlineItems; // outline items made here, oldest first

    // Where copied objects came from: those numbered from firstObject on, up to the next entry's,
    // were copied from source.
    struct Origin {
        int firstObject;
        QString source;
        bool tried = false; // its Flate streams were tried while it was read
    };
    std::vector<Origin> origins;
    // Read ahead by PrepareForCopy: the file's Flate streams whose data cannot be decoded, with
    // what is wrong.
    bool prepared = false;
    std::vector<std::pair<QPDFObjectHandle, QString>> undecodable;
    // Sources whose stream data could not be decoded when written, with what is wrong.
    Problems damagedSources;
    // The whole-file write whose temporary file is path, when a save is to fill it.
    WholeFileWrite *staging = nullptr;
};

// The desktop's PDF viewer, which shows a finished book. Tests record instead.
class BookViewer {
public:
    virtual ~BookViewer() = default;
    // Opens the book at its first page.
    virtual void ShowBook(const QString &path) = 0;
};

// For where no viewer belongs: the batch command, tests.
class NoBookViewer : public BookViewer {
public:
    void ShowBook(const QString &) override {}
};

// The PDF suite for one run: its open documents, and the viewer's one document view.
class PdfSuite {
public:
    explicit PdfSuite(BookViewer *desktop = nullptr) : desktop_(desktop) {}

    // The open document on path, if any.
    std::shared_ptr<PdfFile> Find(const QString &path) const;
    void Remember(const std::shared_ptr<PdfFile> &file);

    // The viewer's view: the document it shows and its current page.
    std::shared_ptr<PdfFile> viewed;
    int currentPage = 0;
    // The viewer was asked to show itself: the viewed book goes to the desktop's viewer once
    // the run has saved it for the last time.
    bool shown = false;
    void PresentShownBook();

private:
    BookViewer *desktop_;
    std::vector<std::weak_ptr<PdfFile>> files_;
};

// The absolute form of path, the key by which documents are shared.
QString AbsolutePdfPath(const QString &path);

} // namespace qf
