#pragma once

#include "automation/PdfSuite.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <QString>

namespace qf {

// Editing a document's outline (its bookmarks). The outline is built from plain dictionaries, as
// qpdf offers no writer for it.

// Adds a top-level item at the end of the outline, pointing at the zero-based page.
QPDFObjectHandle AddOutlineItem(PdfFile &file, const QString &title, int page);

// The item titled title: the newest of those made here that is still in the outline, else the
// first in outline order; a null handle when there is none.
QPDFObjectHandle FindOutlineItem(PdfFile &file, const QString &title);

void RetitleOutlineItem(PdfFile &file, QPDFObjectHandle item, const QString &title);

// Takes the item, with its children, out of the outline.
void RemoveOutlineItem(PdfFile &file, QPDFObjectHandle item);

} // namespace qf
