#pragma once

#include <qpdf/QPDF.hh>

#include <vector>

namespace qf {

// What making a source fit for a filing portal took out of it.
struct FilingChanges {
    int fieldsFlattened = 0;
    bool scriptsRemoved = false;
    int filesRemoved = 0; // attached files
    bool Any() const { return fieldsFlattened > 0 || scriptsRemoved || filesRemoved > 0; }
};

// Makes a source's pages as a filing portal takes them: each form field's appearance, as a reader
// shows it now, drawn into its page and the form removed; every script removed (at open, in the
// document's name tree, on page, field and annotation events, in links: a link whose action was a
// script keeps its place and does nothing); attached files removed.
FilingChanges MakeFitForFiling(QPDF &source, const std::vector<QPDFObjectHandle> &pages);

} // namespace qf
