#include "compile/SourceReader.h"

#include "book/PdfFile.h"
#include "book/PdfWrite.h"

#include <QThread>

#include <algorithm>

namespace qf {

SourceReader::SourceReader(const QStringList &paths, std::optional<BookNumbering> numbering,
                           PageChange change)
    : paths_(paths), numbering_(std::move(numbering)), change_(std::move(change))
{
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { Work(); });
}

SourceReader::~SourceReader()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    work_.notify_all();
    turn_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

std::shared_ptr<PdfFile> SourceReader::Next(Status &status)
{
    std::optional<SourcePiece> piece;
    return Next(status, piece);
}

std::shared_ptr<PdfFile> SourceReader::Next(Status &status, std::optional<SourcePiece> &piece)
{
    std::unique_lock<std::mutex> lock(mutex_);
    ready_cv_.wait(lock, [this] { return ready_.count(taken_) > 0; });
    auto at = ready_.find(taken_++);
    Read read = std::move(at->second);
    ready_.erase(at);
    lock.unlock();
    work_.notify_one(); // room for one more ahead
    status = read.status;
    piece = std::move(read.piece);
    return std::move(read.file);
}

void SourceReader::Done(std::shared_ptr<PdfFile> file)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(file));
    }
    work_.notify_one();
}

void SourceReader::Work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [&] {
            return stop_ || !done_.empty() ||
                   (reading_ < paths_.size() && reading_ < taken_ + kAhead);
        });
        // Freed first: they hold memory that the next reads may want.
        std::vector<std::shared_ptr<PdfFile>> freeing = std::exchange(done_, {});
        if (!freeing.empty()) {
            lock.unlock();
            freeing.clear();
            lock.lock();
            continue;
        }
        if (stop_)
            return;
        const qsizetype index = reading_++;
        Read read = ReadOne(index, lock);
        if (stop_)
            return;
        ready_.emplace(index, std::move(read));
        if (index == taken_)
            ready_cv_.notify_one();
    }
}

SourceReader::Read SourceReader::ReadOne(qsizetype index, std::unique_lock<std::mutex> &lock)
{
    const QString path = paths_.at(index);
    lock.unlock();
    Read read;
    read.status = ReadPdfFile(path, read.file);
    PieceMaker maker;
    const bool asPiece =
        read.file && numbering_ && PageCount(*read.file) > 0 && maker.Prepare(*read.file, change_);
    if (read.file && !asPiece)
        PrepareForCopy(*read.file);
    lock.lock();
    // Numbers go to the sources in list order, whichever was read first.
    turn_.wait(lock, [&] { return stop_ || numbered_ == index; });
    if (stop_)
        return read;
    if (asPiece)
        maker.Number(*numbering_);
    ++numbered_;
    turn_.notify_all();
    lock.unlock();
    const bool written = asPiece && maker.Write();
    lock.lock();
    // And they share object streams in list order too.
    turn_.wait(lock, [&] { return stop_ || packed_ == index; });
    if (stop_)
        return read;
    if (written)
        maker.Pack(carried_);
    ++packed_;
    turn_.notify_all();
    lock.unlock();
    if (written)
        read.piece = maker.Finish();
    lock.lock();
    return read;
}

std::map<std::string, int> SourceReader::SharedNumbers()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return numbering_ ? numbering_->shared : std::map<std::string, int>();
}

PendingObjects SourceReader::TakeCarried()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(carried_);
}

int SourceReader::NextNumber()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return numbering_ ? numbering_->next : 0;
}

} // namespace qf
