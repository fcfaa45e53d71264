#include "compile/BookSize.h"

#include <QCoreApplication>
#include <QLocale>

namespace qf {

QString BookSizeText(long long bytes, const SharedStreams &shared)
{
    const QLocale locale;
    const QString size = locale.formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
    if (shared.bytes <= 0)
        return size;
    return QCoreApplication::translate("Book", "%1, %2 less by keeping what the PDFs share once")
        .arg(size, locale.formattedDataSize(shared.bytes, 1, QLocale::DataSizeSIFormat));
}

} // namespace qf
