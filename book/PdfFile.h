#pragma once

#include "core/Status.h"

#include <qpdf/PDFVersion.hh>
#include <qpdf/QPDF.hh>

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace qf {

// One PDF in memory: a source read from the folder, or the book being made.
struct PdfFile {
    QByteArray bytes; // the file's content, when it was read at once; pdf parses it in place
    QPDF pdf;
    QString path;       // absolute path it was read from; empty for the book
    PDFVersion version; // the highest version of the pages it holds
    // How it is written: object streams and a cross-reference stream (PDF 1.5) make a book a
    // third smaller.
    bool objectStreams = false;

    // Where copied objects came from: those numbered from firstObject on, up to the next entry's,
    // were copied from source.
    struct Origin {
        int firstObject;
        QString source;
        bool tried = false; // its Flate streams were tried while it was read
    };
    std::vector<Origin> origins;
    // Its Flate streams whose data cannot be decoded, with what is wrong, once tried.
    bool prepared = false;
    std::vector<std::pair<QPDFObjectHandle, QString>> undecodable;
    // Sources whose stream data could not be decoded when written, with what is wrong.
    Problems damagedSources;
};

// A book without pages yet.
std::shared_ptr<PdfFile> NewBook();

// The passwords a run was given for its sources, by the path each is read from; held in memory
// for the one run, never written.
using Passwords = std::map<QString, QString>;

// Reads the PDF at path with its page tree, opened with password if it needs one; may run on any
// thread.
Status ReadPdfFile(const QString &path, std::shared_ptr<PdfFile> &read,
                   const QString &password = QString());
// The same for a file's bytes already in memory.
Status ReadPdfBytes(const QString &path, const QByteArray &bytes, std::shared_ptr<PdfFile> &read,
                    const QString &password = QString());

// Whether the PDF at path opens only with a password: it is encrypted and its empty user password
// does not open it.
bool NeedsPassword(const QString &path);

// What qpdf repaired in a source as it read it and as the book was made of it, each the first such
// repair it named; empty for none.
struct Repairs {
    QString lossy;    // one after which the book may show the source otherwise than viewers do
    QString lossless; // one that every viewer makes the same way, so nothing of the source is lost
};
Repairs RepairsOf(PdfFile &file);

// The version the header of the PDF at path says, read without parsing the file; 0.0 for none.
PDFVersion PeekPdfVersion(const QString &path);

// How many objects the PDF at path holds, as its last cross-reference section says, read without
// parsing the file; a guess from its size when it does not say.
qint64 PeekObjectCount(const QString &path);

inline int PageCount(PdfFile &file)
{
    return int(file.pdf.getAllPages().size());
}

// Puts every page of source at the end of the book, with links between them still landing on
// them; all or nothing. The source's bookmarks and document-level data are not copied here.
Status AppendPages(PdfFile &book, PdfFile &source);
// Takes the book's pages from first on out again.
void RemovePagesFrom(PdfFile &book, int first);

// Frees a PDF on a thread of its own: a book of thousands of pages takes as long to free as to
// write, and no one waits for it. What is still pending is freed before the program ends
// normally.
void FreeLater(std::shared_ptr<PdfFile> file);

// The absolute form of path: how a file's problems name it.
QString AbsolutePdfPath(const QString &path);

} // namespace qf
