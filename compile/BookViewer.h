#pragma once

#include <QString>

namespace qf {

// The desktop's PDF viewer, which shows a finished book. Tests record instead.
class BookViewer {
public:
    virtual ~BookViewer() = default;
    // Opens the book at its first page; false when no viewer opened it.
    virtual bool ShowBook(const QString &path) = 0;
};

// For where no viewer belongs: the batch command, tests.
class NoBookViewer : public BookViewer {
public:
    bool ShowBook(const QString &) override { return true; }
};

} // namespace qf
