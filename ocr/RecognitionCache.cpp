#include "ocr/RecognitionCache.h"

#include "core/Workspace.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace qf {
namespace {

// Bumped whenever recognition is asked for differently, so older copies are not taken for new.
constexpr char kRecipe[] = "ocrmypdf pdf O0 pages 1";

} // namespace

QString RecognitionCache::DefaultFolder()
{
    return JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
                    QStringLiteral("quirefold/ocr"));
}

Status RecognitionCache::Open() const
{
    if (!QDir().mkpath(folder_))
        return Status::Failed(
            folder_, QCoreApplication::translate("Recognition", "the folder could not be made"));
    RemoveLeftoverTemporaries(folder_);
    // A killed run's scratch folders; a day is longer than any run.
    const QFileInfoList scratch = QDir(folder_).entryInfoList(
        {kScratchPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &leftover : scratch)
        if (!leftover.isSymLink() &&
            leftover.lastModified() < QDateTime::currentDateTimeUtc().addDays(-1))
            QDir(leftover.filePath()).removeRecursively();
    return Status::Ok();
}

Status RecognitionCache::PathFor(const QString &source, const QString &languages,
                                 QString &copy) const
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(source, file.errorString());
    QCryptographicHash digest(QCryptographicHash::Sha256);
    if (!digest.addData(&file))
        return Status::Failed(source, file.errorString());
    digest.addData(QByteArrayView("\0", 1));
    digest.addData(languages.toUtf8());
    digest.addData(QByteArrayView("\0", 1));
    digest.addData(QByteArrayView(kRecipe));
    copy = JoinPath(folder_, QString::fromLatin1(digest.result().toHex()) + QStringLiteral(".pdf"));
    return Status::Ok();
}

bool RecognitionCache::Take(const QString &copy)
{
    QFile file(copy);
    if (!file.exists())
        return false;
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return true;
}

void RecognitionCache::Prune(qint64 limit, int maxAgeDays, const QDateTime &now) const
{
    QFileInfoList copies =
        QDir(folder_).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
    // Newest first: once the limit is reached, every older copy goes.
    qint64 kept = 0;
    bool full = false;
    const QDateTime oldest = now.addDays(-maxAgeDays);
    for (const QFileInfo &copy : copies) {
        full = full || copy.lastModified() < oldest || kept + copy.size() > limit;
        if (full)
            QFile::remove(copy.filePath());
        else
            kept += copy.size();
    }
}

} // namespace qf
