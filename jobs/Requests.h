#pragma once

#include "compile/CompileBook.h"
#include "convert/ConvertDocs.h"
#include "core/Workspace.h"
#include "store/FolderSelection.h"

#include <map>

namespace qf {

// Each job's request from the folder's state: one place for the window's runs and the batch
// command alike.

// The compile of the ticked PDFs, in list order, as the folder's choices ask for it;
// empty_page.pdf in programFolder.
CompileRequest CompileRequestFor(const Workspace &ws, const FolderSelection &selection,
                                 const QString &programFolder);

// The passwords given for the PDFs by their names as listed, into the request for those it
// compiles. Held for the one run, never stored.
void GivePasswords(CompileRequest &request, const std::map<QString, QString> &byName);

// The request's PDFs that open only with a password, by their names as listed: those to ask for
// one before the run.
QStringList NeedingPassword(const CompileRequest &request);

// The conversion of the whole document list, in order, each document with its tick.
ConversionRequest ConversionRequestFor(const Workspace &ws, const FolderSelection &selection);

// A warning for each ticked document whose PDF is missing or older than the document, which the
// book therefore leaves out or holds as it was: "Preface.doc has no PDF yet; print it to PDF
// first".
struct StalePdf {
    QString document; // its path
    QString warning;
};
QList<StalePdf> StalePdfs(const Workspace &ws, const FolderSelection &selection);

// Where the folder's defaults do what a user may not expect, each said once: names whose numbers
// the alphabetical order puts otherwise than their values, documents of kinds the list leaves out,
// and, for the compile, bookmark titles cut at a dot inside a name. The window and the batch
// command each say it with their own way to change it.
struct DefaultsHint {
    enum class About { NumberOrder, UnlistedDocuments, CutBookmarkTitle };
    About about = About::NumberOrder;
    QString file;  // the path of the one file it is about; empty: none
    QString name;  // the file named first: the name listed first, or the one whose title is cut
    QString other; // the name it comes before, or the title cut short
    QString type;  // the kind of document not listed
    int count = 0; // how many documents of it
};
QList<DefaultsHint> DefaultsThatMatter(const Workspace &ws, const FolderSelection &selection,
                                       bool compile);

// What a stopped job left, as the window and the batch command say it.
QString StoppedCompileSaid();
QString StoppedConversionSaid(int converted);

} // namespace qf
