#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace qf {

// How large one volume of the book may be: so many pages (blank sheets count), or so many bytes
// as written (1 MB = 1,000,000 bytes), as a court portal, a mail server or a binder takes.
struct VolumeLimit {
    enum class Unit { Pages, Bytes };
    Unit unit = Unit::Pages;
    qint64 amount = 0;

    // "300 pages", "1 page", "20 MB", "2.5MB"; null, with why, for anything else.
    static std::optional<VolumeLimit> Parse(const QString &text, QString *problem = nullptr);
    // As the settings file and the messages say it: "300 pages", "20 MB".
    QString Text() const;
};

// "NAME (Volume i of n).pdf", NAME being the book's name without ".pdf".
QString VolumeName(const QString &bookName, int volume, int volumes);
// Whether name is a volume of the book bookName, of any set.
bool IsVolumeOf(const QString &name, const QString &bookName);

// One volume: the documents first to first + count - 1 of the list.
struct VolumeCut {
    int first = 0;
    int count = 0;
    bool overLimit = false; // one document alone, over the limit
};

// Cuts the documents, in list order, into volumes, each filled as far as the limit allows; only
// between documents. pages: each document's pages (0 for one that is left out). With blank sheets
// on, a document that ends on an odd page is followed by one when another comes in its volume.
// bytesOf(first, count) gives a volume's size as written, for a limit in bytes.
QList<VolumeCut> CutIntoVolumes(const QList<int> &pages, bool blankSheets, const VolumeLimit &limit,
                                const std::function<qint64(int, int)> &bytesOf = {});

// The pages of the volume cut takes, blank sheets included.
int VolumePages(const QList<int> &pages, bool blankSheets, const VolumeCut &cut);

} // namespace qf
