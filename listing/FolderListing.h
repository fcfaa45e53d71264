#pragma once

#include "core/Status.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace qf {

enum class FileKind { Doc, Pdf };

// "*.DOC" or "*.PDF".
QString PatternOf(FileKind kind);
// The count line: "3 DOC file(s) found in folder.".
QString CountLine(FileKind kind, int count);

// Appends to names every file directly in folder whose upper-cased name matches one of the
// patterns, in the name's own letter case and the order the folder gives. On failure the names
// found so far stay. A name that is not valid text in the system's encoding cannot be used: it is
// left out and reported.
Status ListFolderFiles(const QString &folder, const QStringList &patterns, QStringList &names);
// The patterns of the files of a kind: documents of the types given (DOC when none).
QStringList PatternsOf(FileKind kind, const QStringList &documentTypes = QStringList());

// Yes for a regular file that is not hidden (name starting with "."), whose last name component
// matches ignoring case. A folder that cannot be searched answers no.
bool FileExists(const QString &path);

// The regular files directly in a folder that are not hidden, for many existence tests at once.
class FolderIndex {
public:
    // Empty when the folder cannot be read.
    static FolderIndex Read(const QString &folder);
    // What FileExists answers for the file name in this folder.
    bool Contains(const QString &name) const;

private:
    QSet<QString> folded_;
};

// The path of the file that path means when names are compared ignoring case: path itself when
// something of exactly that name exists or nothing matches, else the matching regular file.
QString ResolveIgnoringCase(const QString &path);

} // namespace qf
