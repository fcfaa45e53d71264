#pragma once

#include "compile/BookmarkBook.h"
#include "runs/RunContext.h"
#include "window/Status.h"

#include <QStringList>

namespace qf {

inline const QString kOutputFolderName = QStringLiteral("PDFCompile Output");
inline const QString kEmptyPageFileName = QStringLiteral("empty_page.pdf");

// Where a compile run writes the book named name: in the working folder's output folder.
QString BookPath(const Workspace &ws, const QString &name);

// The file-name component of a path: everything after the last separator.
QString FileNameFromPath(const QString &path);
// A document's bookmark title: its file name cut before the first ".".
QString BookmarkTitle(const QString &name);
// Whether a document of this many pages ends on an odd page and so, with the option ticked (1),
// wants a blank sheet after it. The sheet goes in only once a next document follows it.
bool NeedsBlankSheet(int pages, int option);
// Ok for a plain file name; otherwise says why the book cannot be written under it.
Status CheckOutputFileName(const QString &name);

struct CompileOutcome {
    bool bookWritten = false;
    BookmarkTable bookmarks;
    Problems problems;
};

// Builds the book at outputPath from the named PDFs of the working folder, in order, with a blank
// sheet after a document of odd page count when Check1 is ticked (never after the last), one
// bookmark per document, and shows it in the desktop's viewer. A PDF that cannot be read is
// left out and named in the problems. outputPath must lie in the output folder.
CompileOutcome CompileBook(RunContext &ctx, const QStringList &names, const QString &outputPath);

} // namespace qf
