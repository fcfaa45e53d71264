#pragma once

#include "automation/PdfSuite.h"
#include "core/Status.h"

#include <QString>

#include <memory>

namespace qf {

class WholeFileWrite;

// Reads the PDF at path, with its page tree, into read: what PDDoc::Open does, apart from any
// suite, so it may run on any thread.
Status ReadPdfFile(const QString &path, std::shared_ptr<PdfFile> &read);
// The same for a file's bytes already in memory.
Status ReadPdfBytes(const QString &path, const QByteArray &bytes, std::shared_ptr<PdfFile> &read);

// A PDF document of the suite (a handle: copies refer to the same document).
class PDDoc {
public:
    explicit PDDoc(PdfSuite &suite) : suite_(&suite) {}
    PDDoc(PdfSuite &suite, std::shared_ptr<PdfFile> file) : suite_(&suite), file_(std::move(file))
    {}

    // A new document without pages.
    Status Create();
    // The document at path, shared with any view or document already open on it.
    Status Open(const QString &path);
    // The page count; -1 when no document is open.
    int GetNumPages() const;
    // Puts count pages of source, from page first on, after page `after` (-1: before the first
    // page). All or nothing. Bookmarks of the source are never copied.
    Status InsertPages(int after, const PDDoc &source, int first, int count, bool withBookmarks);
    // Removes the zero-based pages first to last.
    Status DeletePages(int first, int last);
    void Close();
    // Takes a document read by ReadPdfFile as this one.
    void Adopt(std::shared_ptr<PdfFile> file);
    // Gives the document up to the caller, which frees it when and where it likes.
    std::shared_ptr<PdfFile> Release();
    // Writes the whole document to path (flags: 1, a full save; the only kind there is).
    Status Save(int flags, const QString &path);
    // Gives the document the temporary file of a whole-file write as its path, without writing
    // it: a view opened on that path shares it, and a save to it fills that file, which the
    // caller then commits.
    void StageIn(WholeFileWrite &write);

    bool IsOpen() const { return file_ != nullptr; }
    const std::shared_ptr<PdfFile> &file() const { return file_; }

private:
    PdfSuite *suite_;
    std::shared_ptr<PdfFile> file_;
};

} // namespace qf
