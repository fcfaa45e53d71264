#pragma once

#include <QString>

namespace qf {

// What became of a file sent to the trash.
struct TrashOutcome {
    enum class Kind {
        Trashed, // in a trash a file manager shows, with its .trashinfo
        NoTrash, // no trash can be had for the file's file system; the file is untouched
        Failed,  // a trash was there but did not take the file; the file is untouched
    };
    Kind kind = Kind::Failed;
    QString reason; // why not, when not
};

// Moves a file (or a link, not what it points to) into the freedesktop.org trash that file
// managers show: the home trash ($XDG_DATA_HOME/Trash, made with its parents when missing) when
// the file is on the home's file system, else its file system's $top/.Trash/$UID or
// $top/.Trash-$UID. Only absolute paths are used, so nothing is made where the program started.
TrashOutcome MoveToTrash(const QString &path);

} // namespace qf
