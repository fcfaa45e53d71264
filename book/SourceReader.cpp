#include "book/SourceReader.h"

#include "book/PdfFile.h"
#include "book/PdfWrite.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace qf {

SourceReader::SourceReader(const QStringList &paths, const QStringList &names,
                           BookNumbering numbering, PageChange change, bool keepEnds,
                           PieceChanges changes, SourceFacts facts, Passwords passwords)
    : paths_(paths), names_(names), facts_(std::move(facts)), passwords_(std::move(passwords)),
      numbering_(std::move(numbering)), change_(std::move(change)), keepEnds_(keepEnds),
      changes_(changes)
{
    // A small file cannot hold many objects: its size says enough, without opening it.
    for (const QString &path : paths) {
        const qint64 size = QFileInfo(path).size();
        weights_.push_back(size < kPeekedFrom ? size / 64 : PeekObjectCount(path));
    }
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
    for (std::thread &thread : threads_)
        thread.join();
}

std::shared_ptr<PdfFile> SourceReader::Next(Status &status, std::optional<SourcePiece> &piece,
                                            NumberingAfter *after)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (readUpTo_ <= taken_) {
        readUpTo_ = taken_ + 1;
        work_.notify_one();
    }
    ready_.wait(lock, [this] { return At(taken_, Step::Ready); });
    auto at = sources_.find(taken_++);
    Source source = std::move(at->second);
    sources_.erase(at);
    lock.unlock();
    work_.notify_one(); // room for one more ahead
    status = source.status;
    piece = std::move(source.piece);
    if (after)
        *after = std::move(source.after);
    return std::move(source.file);
}

void SourceReader::Done(std::shared_ptr<PdfFile> file)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(file));
        inHand_ -= weights_.at(size_t(doneCount_++));
    }
    work_.notify_one();
}

SourceReader::Source *SourceReader::At(qsizetype index, Step step)
{
    const auto found = sources_.find(index);
    return found != sources_.end() && found->second.step == step ? &found->second : nullptr;
}

void SourceReader::Work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_)
        if (!TakeStep(lock))
            work_.wait(lock);
}

bool SourceReader::TakeStep(std::unique_lock<std::mutex> &lock)
{
    // Freed first: they hold memory that the next reads may want.
    if (!done_.empty()) {
        std::vector<std::shared_ptr<PdfFile>> freeing = std::exchange(done_, {});
        lock.unlock();
        freeing.clear();
        lock.lock();
        return true;
    }
    // The turns: numbers and object streams go to the sources in list order. A source is
    // numbered once the one before is written, so that one that cannot be written can give its
    // numbers back before anyone refers to them.
    if (Source *source = At(numbered_, Step::Read); source && written_ == numbered_) {
        if (source->maker)
            source->maker->Number(numbering_);
        source->step = Step::Numbered;
        ++numbered_;
        work_.notify_one();
        return true;
    }
    if (Source *source = At(packed_, Step::Written)) {
        if (source->maker)
            source->maker->Pack(carried_);
        if (keepEnds_)
            source->after.carried = carried_;
        source->step = Step::Packed;
        ++packed_;
        work_.notify_one();
        return true;
    }
    // The earliest source's step first, so that the caller waits the least.
    for (auto &[index, source] : sources_) {
        if (source.step != Step::Numbered && source.step != Step::Packed)
            continue;
        const Step next = source.step == Step::Numbered ? Step::Written : Step::Ready;
        source.step = Step::InHand;
        PieceMaker *maker = source.maker.get();
        lock.unlock();
        std::optional<SourcePiece> piece;
        bool written = false;
        if (maker && next == Step::Written)
            written = maker->Write();
        else if (maker)
            piece = maker->Finish();
        lock.lock();
        if (next == Step::Written) {
            if (maker && !written) {
                source.status = Status::Failed(paths_.at(index), maker->Problem());
                maker->Withdraw(numbering_);
                source.maker.reset();
            }
            written_ = index + 1;
            // Before the next source is numbered.
            if (keepEnds_) {
                source.after.next = numbering_.next;
                source.after.shared = numbering_.shared;
            }
        }
        if (next == Step::Ready) {
            source.piece = std::move(piece);
            source.maker.reset();
            if (index == taken_)
                ready_.notify_one();
        }
        source.step = next;
        work_.notify_one();
        return true;
    }
    if (reading_ < paths_.size() && reading_ < readUpTo_ && reading_ < taken_ + kAhead &&
        (reading_ == taken_ || inHand_ + weights_.at(size_t(reading_)) <= kAheadObjects)) {
        inHand_ += weights_.at(size_t(reading_));
        Read(reading_++, lock);
        work_.notify_one();
        return true;
    }
    return false;
}

void SourceReader::Read(qsizetype index, std::unique_lock<std::mutex> &lock)
{
    sources_[index].step = Step::InHand;
    const QString path = paths_.at(index), name = names_.value(index);
    lock.unlock();
    std::shared_ptr<PdfFile> file;
    const auto password = passwords_.find(path);
    const Status read =
        ReadPdfFile(path, file, password == passwords_.end() ? QString() : password->second);
    auto maker = std::make_unique<PieceMaker>();
    Status status = read;
    const bool asPiece =
        file && PageCount(*file) > 0 && maker->Prepare(*file, name, change_, changes_, facts_);
    if (file && PageCount(*file) > 0 && !asPiece)
        status = Status::Failed(path, maker->Problem());
    lock.lock();
    Source &source = sources_[index];
    source.file = std::move(file);
    source.status = status;
    if (asPiece)
        source.maker = std::move(maker);
    source.step = Step::Read;
}

void SourceReader::ReadUpTo(qsizetype count)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        readUpTo_ = count;
    }
    work_.notify_one();
}

int SourceReader::NextNumber()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return numbering_.next;
}

std::map<std::string, int> SourceReader::SharedNumbers()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return numbering_.shared;
}

PendingObjects SourceReader::TakeCarried()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(carried_);
}

} // namespace qf
