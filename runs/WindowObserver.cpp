#include "runs/WindowObserver.h"

#include "listing/FolderListing.h"
#include "runs/FolderLists.h"

namespace qf {

void WindowObserver::Entry(int index)
{
    if (list_)
        list_->SetCurrent(index);
}

void WindowObserver::Progress(int done, int total)
{
    bar_.SetMin(0);
    bar_.SetMax(total);
    bar_.SetValue(done);
}

void WindowObserver::Made(const QString &)
{
    RefillList(ws_.WorkingFolder, window_.PdfList(), window_.PdfCount(), FileKind::Pdf);
}

void WindowObserver::Tell(const Notice &notice)
{
    window_.Messages().Show(notice.text, notice.caption, notice.icon);
}

void WindowObserver::Tell(const Notice &notice, std::function<void()> read)
{
    window_.Messages().Open(notice.text, notice.caption, notice.icon, std::move(read));
}

} // namespace qf
