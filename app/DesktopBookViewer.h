#pragma once

#include "compile/BookViewer.h"

namespace qf {

// Opens a finished book in the desktop's PDF viewer.
class DesktopBookViewer : public BookViewer {
public:
    bool ShowBook(const QString &path) override;
};

} // namespace qf
