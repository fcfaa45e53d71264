#pragma once

#include "book/Destinations.h"

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
    // As the settings file and scripts say it: "300 pages", "20 MB".
    QString Text() const;
    // As people read it, in their language: "300 Seiten".
    QString Said() const;
};

// A stored limit as people read and type it, in their language ("300 Seiten"); the usual 300
// pages for none, and the text as it stands when it cannot be read.
QString VolumeLimitShown(const QString &stored);

// A document of a later volume, as the index in the first volume lists it.
struct IndexedElsewhere {
    QString title;
    QString volumeFile; // the volume's file name, beside the first
    int volume = 0;
    int page = 0;   // where it starts in its volume, zero-based
    int number = 0; // its first page's number in the whole set
};

// Where a book stands in a set of volumes.
struct VolumePlace {
    int volume = 0;                      // 1-based; 0: a book of its own
    int firstNumber = 1;                 // the number of its first page
    int numberedTotal = 0;               // what {total} says: the set's pages; 0: the book's own
    QList<IndexedElsewhere> later;       // the later volumes' documents, for the first one's index
    std::vector<InAnotherVolume> others; // the other volumes' documents, for links to them
    int indexPages = 0;                  // the first one's index takes at least, as planned
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
// bytesOf(first, count, pagesBefore) gives a volume's size as written, for a limit in bytes,
// pagesBefore being the pages of the volumes before it; pieceBytes(first, count), the bytes of its
// documents' own objects in it, which it holds more of, says which sizes are worth measuring.
// The first volume holds frontPages more (an index).
QList<VolumeCut> CutIntoVolumes(const QList<int> &pages, bool blankSheets, const VolumeLimit &limit,
                                const std::function<qint64(int, int, int)> &bytesOf = {},
                                int frontPages = 0,
                                const std::function<qint64(int, int)> &pieceBytes = {});

// The pages of the volume cut takes, blank sheets included.
int VolumePages(const QList<int> &pages, bool blankSheets, const VolumeCut &cut);

} // namespace qf
