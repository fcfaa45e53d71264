#pragma once

#include "automation/PdfDocument.h"
#include "automation/PdfSuite.h"
#include "core/Status.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <QString>

namespace qf {

// The PDF viewer of the suite: one document view with a current page, its menu items, and
// bookmark objects. The viewed document is shared with any document open on the same path.

inline const QString kNewBookmarkMenuItem = QStringLiteral("NewBookmark");
inline const QString kSaveMenuItem = QStringLiteral("Save");
inline const QString kNewBookmarkTitle = QStringLiteral("Untitled");

class AVPageView {
public:
    explicit AVPageView(PdfSuite &suite) : suite_(&suite) {}
    // Makes the zero-based page current.
    Status GoTo(int page);

private:
    PdfSuite *suite_;
};

class AVDoc {
public:
    explicit AVDoc(PdfSuite &suite) : suite_(&suite) {}
    // Shows the PDF at path in the viewer, at its first page; false when it cannot be read.
    bool Open(const QString &path, const QString &title);
    PDDoc GetPDDoc() const;
    AVPageView GetAVPageView() const { return AVPageView(*suite_); }
    // Why the last Open failed.
    const Status &openStatus() const { return openStatus_; }

private:
    PdfSuite *suite_;
    Status openStatus_;
};

class AcroApp {
public:
    explicit AcroApp(PdfSuite &suite) : suite_(&suite) {}
    // The viewer comes to the front: the viewed book is shown once the run is done with it.
    void Show() { suite_->shown = true; }
    void Maximize(int) {}
    // "NewBookmark": an item titled "Untitled" at the current page, at the end of the outline.
    // "Save": writes the viewed document back to its file. Anything else fails.
    Status MenuItemExecute(const QString &item);

private:
    PdfSuite *suite_;
};

class PDBookmark {
public:
    // Binds to the bookmark of doc titled title (the newest such one); false when there is none.
    bool GetByTitle(const PDDoc &doc, const QString &title);
    bool SetTitle(const QString &title);
    bool Destroy();

private:
    std::shared_ptr<PdfFile> file_;
    QPDFObjectHandle item_;
};

} // namespace qf
