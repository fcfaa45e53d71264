#include "compile/SourceReader.h"

#include "book/PdfFile.h"
#include "book/PdfWrite.h"

#include <QThread>

#include <algorithm>

namespace qf {

SourceReader::SourceReader(const QStringList &paths) : paths_(paths)
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
    changed_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

std::shared_ptr<PdfFile> SourceReader::Next(Status &status)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return ready_.count(taken_) > 0; });
    auto at = ready_.find(taken_++);
    Read read = std::move(at->second);
    ready_.erase(at);
    lock.unlock();
    changed_.notify_all();
    status = read.status;
    return std::move(read.file);
}

void SourceReader::Done(std::shared_ptr<PdfFile> file)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(file));
    }
    changed_.notify_all();
}

void SourceReader::Work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
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
        const QString path = paths_.at(index);
        lock.unlock();
        Read read;
        read.status = ReadPdfFile(path, read.file);
        if (read.file)
            PrepareForCopy(*read.file);
        lock.lock();
        ready_.emplace(index, std::move(read));
        changed_.notify_all();
    }
}

} // namespace qf
