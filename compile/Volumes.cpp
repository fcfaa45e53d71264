#include "compile/Volumes.h"

#include "compile/CompileBook.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace qf {

std::optional<VolumeLimit> VolumeLimit::Parse(const QString &text, QString *problem)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*(pages?|seiten?|mb)\\s*$"),
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
    // German users write the pages as they say them.
    const bool pages = !match.captured(2).startsWith(QLatin1Char('m'), Qt::CaseInsensitive);
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

QString VolumeLimit::Said() const
{
    if (unit == Unit::Pages)
        return QCoreApplication::translate("Book", "%n page(s)", nullptr, int(amount));
    return Text();
}

QString VolumeLimitShown(const QString &stored)
{
    if (stored.isEmpty())
        return VolumeLimit{VolumeLimit::Unit::Pages, 300}.Said();
    const std::optional<VolumeLimit> read = VolumeLimit::Parse(stored);
    return read ? read->Said() : stored;
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
                                const std::function<qint64(int, int, int)> &bytesOf, int frontPages,
                                const std::function<qint64(int, int)> &pieceBytes)
{
    const int documents = int(pages.size());
    int pagesBefore = 0; // the volumes' cut so far
    const auto fits = [&](int first, int count, qint64 *bytes) {
        const VolumeCut cut{first, count};
        if (limit.unit == VolumeLimit::Unit::Pages)
            return VolumePages(pages, blankSheets, cut) + (first == 0 ? frontPages : 0) <=
                   limit.amount;
        *bytes = bytesOf(first, count, pagesBefore);
        return *bytes <= limit.amount;
    };
    QList<VolumeCut> cuts;
    for (int first = 0; first < documents;
         pagesBefore +=
         VolumePages(pages, blankSheets, cuts.last()) + (cuts.size() == 1 ? frontPages : 0)) {
        qint64 bytes = 0;
        if (!fits(first, 1, &bytes)) {
            cuts.append({first, 1, true});
            ++first;
            continue;
        }
        int fitting = 1;
        if (limit.unit == VolumeLimit::Unit::Pages) {
            // Counting pages costs nothing: grows by doubling, then halves the step back.
            int step = 1;
            while (first + fitting < documents) {
                const int count = std::min(fitting + step, documents - first);
                if (!fits(first, count, &bytes))
                    break;
                fitting = count;
                step *= 2;
            }
            for (step /= 2; step >= 1; step /= 2)
                if (first + fitting + step <= documents && fits(first, fitting + step, &bytes))
                    fitting += step;
            cuts.append({first, fitting, false});
            first += fitting;
            continue;
        }
        // A volume's bytes are measured by making it. The documents' own objects make most of
        // them, known once read (pieceBytes); the book adds its own, which grows slowly with the
        // count. The next count measured is the largest whose pieces fit beside what the book
        // added at the counts measured around it; pieces alone over the limit are over without
        // a measure. Guesses that creep give way to halving.
        const auto pieces = [&](int count) -> qint64 {
            return pieceBytes ? pieceBytes(first, count) : 0;
        };
        int over = documents - first + 1, creeping = 0;
        qint64 fittingAdded = bytes - pieces(1), overAdded = -1;
        const auto added = [&](int count) {
            if (overAdded < 0)
                return fittingAdded;
            return fittingAdded + (overAdded - fittingAdded) * (count - fitting) / (over - fitting);
        };
        while (over - fitting > 1) {
            int count = fitting + 1;
            if (creeping >= 2)
                count = fitting + (over - fitting) / 2;
            else
                while (count + 1 < over && pieces(count + 1) + added(count + 1) <= limit.amount)
                    ++count;
            const int before = over - fitting;
            if (pieces(count) > limit.amount) {
                over = count;
            } else if (fits(first, count, &bytes)) {
                fitting = count;
                fittingAdded = bytes - pieces(count);
            } else {
                over = count;
                overAdded = bytes - pieces(count);
            }
            creeping = over - fitting > before / 2 ? creeping + 1 : 0;
        }
        cuts.append({first, fitting, false});
        first += fitting;
    }
    return cuts;
}

} // namespace qf
