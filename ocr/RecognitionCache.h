#pragma once

#include "core/Status.h"

#include <QDateTime>
#include <QString>

namespace qf {

// Recognised copies of scanned PDFs, kept across runs so that a folder compiled again starts no
// recognition. A copy is found by a digest of its source's bytes and the languages it was
// recognised in; the source itself is never changed.
class RecognitionCache {
public:
    // $XDG_CACHE_HOME/quirefold/ocr, or ~/.cache/quirefold/ocr.
    static QString DefaultFolder();
    static constexpr qint64 kDefaultLimit = 1000LL * 1000 * 1000;
    static constexpr int kDefaultMaxAgeDays = 180;
    // A run's folder for OCRmyPDF's temporary files, removed with it.
    static inline const QString kScratchPrefix = QStringLiteral(".scratch-");

    explicit RecognitionCache(QString folder) : folder_(std::move(folder)) {}

    // Makes the folder, and clears what killed runs left in it.
    Status Open() const;
    const QString &Folder() const { return folder_; }

    // The copy's place for the PDF at source recognised in languages; fails when it cannot be read.
    Status PathFor(const QString &source, const QString &languages, QString &copy) const;
    // Whether copy is there; a copy found counts as used now, so that it is removed last.
    static bool Take(const QString &copy);

    // Removes copies unused since maxAge, then the least recently used until the rest take at
    // most limit bytes.
    void Prune(qint64 limit = kDefaultLimit, int maxAgeDays = kDefaultMaxAgeDays,
               const QDateTime &now = QDateTime::currentDateTimeUtc()) const;

private:
    QString folder_;
};

} // namespace qf
