#pragma once

#include <qpdf/QPDF.hh>

#include <QString>

#include <set>
#include <vector>

namespace qf {

// What filing portals refuse besides scripts: actions that open, send or run something, and
// media that plays.
enum class ActiveContent { Launch, SubmitForm, ImportData, RichMedia };

// The kinds as people read them: "launch actions, form submissions".
QString ActiveContentSaid(const std::set<ActiveContent> &kinds);

// What an action alone does that portals refuse; its /Next chain is not followed.
enum class Refused { Nothing, Script, Active };
Refused RefusedAction(QPDFObjectHandle action, ActiveContent *kind = nullptr);

// Whether a font's glyphs are in the file: embedded, or drawn by it (Type 3).
bool IsEmbedded(QPDFObjectHandle font);
// Whether a font is one of the standard text fonts readers substitute (Helvetica, Times,
// Courier), not embedded: a filing copy sets the text of appearances it draws in it anew in an
// embedded font instead.
bool IsStandardTextFont(QPDFObjectHandle font);

// What making a source fit for a filing portal took out of it.
struct FilingChanges {
    int fieldsFlattened = 0;
    bool scriptsRemoved = false;
    int filesRemoved = 0; // attached files
    std::set<ActiveContent> activeRemoved;
    bool Any() const
    {
        return fieldsFlattened > 0 || scriptsRemoved || filesRemoved > 0 || !activeRemoved.empty();
    }
};

// The form fields a source has: those its form lists, and those of widgets on its pages that it
// does not list (or with no form at all), each once.
int FormFieldCount(QPDF &source, const std::vector<QPDFObjectHandle> &pages);

// Makes a source's pages as a filing portal takes them: each widget's appearance, as a reader
// shows it now, drawn into its page and the form removed, the text of appearances drawn anew in
// an embedded font; every script and other active content removed (at open, in the document's
// name tree, on page, field and annotation events, in links and their chains: a link whose action
// was refused keeps its place and does nothing); rich media and attached files removed.
FilingChanges MakeFitForFiling(QPDF &source, const std::vector<QPDFObjectHandle> &pages);

} // namespace qf
