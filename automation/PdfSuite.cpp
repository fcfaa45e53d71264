#include "automation/PdfSuite.h"

#include <QFileInfo>

#include <algorithm>

namespace qf {

QString AbsolutePdfPath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

std::shared_ptr<PdfFile> PdfSuite::Find(const QString &path) const
{
    const QString key = AbsolutePdfPath(path);
    for (const auto &weak : files_)
        if (auto file = weak.lock(); file && file->path == key)
            return file;
    return nullptr;
}

void PdfSuite::Remember(const std::shared_ptr<PdfFile> &file)
{
    files_.erase(std::remove_if(files_.begin(), files_.end(),
                                [](const std::weak_ptr<PdfFile> &w) { return w.expired(); }),
                 files_.end());
    for (const auto &weak : files_)
        if (weak.lock() == file)
            return;
    files_.push_back(file);
}

void PdfSuite::PresentShownBook()
{
    if (shown && viewed && desktop_ && !viewed->path.isEmpty())
        desktop_->ShowBook(viewed->path);
    shown = false;
}

} // namespace qf
