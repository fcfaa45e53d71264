#include "core/Status.h"

#include <cstring>

namespace qf {

QString Status::message() const
{
    if (ok())
        return QString();
    return file_.isEmpty() ? reason_ : QStringLiteral("%1: %2").arg(file_, reason_);
}

QString Problems::report(const QString &heading) const
{
    QString text = heading;
    for (const Status &s : list_)
        text += QStringLiteral("\n\n") + s.message();
    return text;
}

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

} // namespace qf
