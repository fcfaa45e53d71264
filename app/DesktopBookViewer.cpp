#include "app/DesktopBookViewer.h"

#include <QDesktopServices>
#include <QUrl>

namespace qf {

void DesktopBookViewer::ShowBook(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace qf
