#include "compile/Volumes.h"

#include "compile/CompileBook.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace qf {

std::optional<VolumeLimit> VolumeLimit::Parse(const QString &text, QString *problem)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*(pages?|mb)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    const auto refuse = [&](const QString &why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (!match.hasMatch())
        return refuse(QCoreApplication::translate(
            "Book", "is neither a number of pages (\"300 pages\") nor of megabytes (\"20 MB\")"));
    const bool pages = match.captured(2).startsWith(QLatin1Char('p'), Qt::CaseInsensitive);
    const double number = match.captured(1).toDouble();
    VolumeLimit limit;
    if (pages) {
        bool whole = false;
        limit.amount = match.captured(1).toLongLong(&whole);
        if (!whole || limit.amount < 1 || limit.amount > 1'000'000'000)
            return refuse(
                QCoreApplication::translate("Book", "needs a whole number of pages, at least 1"));
    } else {
        limit.unit = Unit::Bytes;
        limit.amount = qint64(std::llround(number * 1e6));
        if (limit.amount < 1000 || number > 1e9)
            return refuse(QCoreApplication::translate("Book", "needs at least 0.001 MB"));
    }
    return limit;
}

QString VolumeLimit::Text() const
{
    if (unit == Unit::Pages)
        return amount == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(amount);
    return QString::number(double(amount) / 1e6, 'g', 12) + QStringLiteral(" MB");
}

QString VolumeName(const QString &bookName, int volume, int volumes)
{
    return QStringLiteral("%1 (Volume %2 of %3).pdf")
        .arg(BookTitle(bookName))
        .arg(volume)
        .arg(volumes);
}

bool IsVolumeOf(const QString &name, const QString &bookName)
{
    const QString stem = BookTitle(bookName);
    if (!name.startsWith(stem))
        return false;
    static const QRegularExpression volume(
        QStringLiteral("^ \\(Volume ([1-9]\\d*) of ([1-9]\\d*)\\)\\.pdf$"));
    const QRegularExpressionMatch match = volume.match(name.mid(stem.size()));
    return match.hasMatch() && match.captured(1).toInt() <= match.captured(2).toInt();
}

int VolumePages(const QList<int> &pages, bool blankSheets, const VolumeCut &cut)
{
    int total = 0;
    bool sheetDue = false;
    for (int i = cut.first; i < cut.first + cut.count; ++i) {
        if (pages.at(i) == 0)
            continue; // left out: no sheet for it
        total += pages.at(i) + (sheetDue ? 1 : 0);
        sheetDue = blankSheets && pages.at(i) % 2 == 1;
    }
    return total;
}

QList<VolumeCut> CutIntoVolumes(const QList<int> &pages, bool blankSheets, const VolumeLimit &limit,
                                const std::function<qint64(int, int, int)> &bytesOf, int frontPages)
{
    const int documents = int(pages.size());
    int pagesBefore = 0; // the volumes' cut so far
    const auto fits = [&](int first, int count) {
        const VolumeCut cut{first, count};
        return limit.unit == VolumeLimit::Unit::Pages
                   ? VolumePages(pages, blankSheets, cut) + (first == 0 ? frontPages : 0) <=
                         limit.amount
                   : bytesOf(first, count, pagesBefore) <= limit.amount;
    };
    QList<VolumeCut> cuts;
    for (int first = 0; first < documents;
         pagesBefore +=
         VolumePages(pages, blankSheets, cuts.last()) + (cuts.size() == 1 ? frontPages : 0)) {
        if (!fits(first, 1)) {
            cuts.append({first, 1, true});
            ++first;
            continue;
        }
        // Grows by doubling, then halves the step back: a few sizes measured per volume, not one
        // per document.
        int fitting = 1;
        int step = 1;
        while (first + fitting < documents) {
            const int count = std::min(fitting + step, documents - first);
            if (!fits(first, count))
                break;
            fitting = count;
            step *= 2;
        }
        for (step /= 2; step >= 1; step /= 2)
            if (first + fitting + step <= documents && fits(first, fitting + step))
                fitting += step;
        cuts.append({first, fitting, false});
        first += fitting;
    }
    return cuts;
}

} // namespace qf
