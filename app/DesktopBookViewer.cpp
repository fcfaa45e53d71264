#include "app/DesktopBookViewer.h"

#include <QDesktopServices>
#include <QUrl>

namespace qf {

bool DesktopBookViewer::ShowBook(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace qf
