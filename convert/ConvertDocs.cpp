#include "convert/ConvertDocs.h"

#include "convert/PrintFileConverter.h"
#include "core/Workspace.h"
#include "listing/FolderListing.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

namespace qf {
namespace {

using namespace std::chrono_literals;

constexpr int kMostInstances = 4;

QString CommaWarning(const QString &path)
{
    return QCoreApplication::translate(
               "Conversion", "The filename %1 is invalid!\n\nPlease be sure that the filename does "
                             "not contain COMMAS.\n\nTHIS FILE WILL BE SKIPPED.")
        .arg(path);
}

Status DeleteFile(const QString &path)
{
    QFile file(path);
    if (!file.remove())
        return Status::Failed(path,
                              QCoreApplication::translate("Conversion", "could not be deleted (%1)")
                                  .arg(file.errorString()));
    return Status::Ok();
}

// One document, from opening it to deleting its print and log files. printed is called once the
// print file is complete.
Status ConvertOne(WordProcessor &word, const ConversionFiles &files, const PdfExport &how,
                  const std::function<void()> &printed)
{
    // Scratch names belong to this process: whatever stands there is a leftover, or a link laid as
    // a trap, and goes (a link itself, never what it points to).
    if (const Status made = MakeScratchFolder(QFileInfo(files.printFile).path()); !made)
        return made;
    QFile::remove(files.printFile);
    QFile::remove(files.log);
    Status status = word.OpenReadOnly(files.document);
    if (!status)
        return status;
    status = word.ExportPdf(files.printFile, how);
    if (!status) {
        word.Close();
        QFile::remove(files.printFile);
        return status;
    }
    printed();
    const Status converted = FileToPDF(files.printFile, files.pdf, QString());
    const Status closed = word.Close();
    const Status printFileGone = DeleteFile(files.printFile);
    const Status logGone = DeleteFile(files.log);
    for (const Status &s : {converted, closed, printFileGone, logGone})
        if (!s) // the print file is a hidden scratch file: the document is what the user knows
            return s.file() == files.printFile ? Status::Failed(files.document, s.reason()) : s;
    return Status::Ok();
}

// What the instances tell the job, which alone talks to the observer.
struct Event {
    enum class Kind { Ready, StartFailed, Printed, Finished, Quit };
    Kind kind;
    int entry = -1;
    Status status;
};

struct Task {
    int entry;
    ConversionFiles files;
};

// The documents handed out and what came back, shared by the job and its instances.
class Pool {
public:
    void Post(Event event)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(event));
        toJob_.notify_one();
    }
    // Waits up to a short while for the instances' news.
    std::deque<Event> TakeEvents()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        toJob_.wait_for(lock, 20ms, [this] { return !events_.empty(); });
        return std::exchange(events_, {});
    }
    void Hand(Task task)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
        toInstances_.notify_one();
    }
    void Close()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        toInstances_.notify_all();
    }
    // The run was stopped: nothing more is handed out, and every word processor stops at once.
    void Abort()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        tasks_.clear();
        for (WordProcessor *word : working_)
            word->Abort();
        aborted_ = true;
        toInstances_.notify_all();
    }
    // A word processor that Abort must reach while it lives.
    void Enlist(WordProcessor *word)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        working_.insert(word);
        if (aborted_)
            word->Abort();
    }
    void Discharge(WordProcessor *word)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        working_.erase(word);
    }
    // The next document for an instance; false once the job has no more.
    bool NextTask(Task &task)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        toInstances_.wait(lock, [this] { return closed_ || !tasks_.empty(); });
        if (tasks_.empty())
            return false;
        task = std::move(tasks_.front());
        tasks_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable toJob_, toInstances_;
    std::deque<Event> events_;
    std::deque<Task> tasks_;
    bool closed_ = false;
    bool aborted_ = false;
    std::set<WordProcessor *> working_;
};

// One word processor's life on its own thread. It outlives every process it starts, which a
// child process's guard relies on.
void RunInstance(const WordProcessorStarter &starter, const PdfExport &how, Pool &pool)
{
    Status started;
    std::unique_ptr<WordProcessor> word = starter.start(started);
    if (!word) {
        pool.Post({Event::Kind::StartFailed, -1, started});
        return;
    }
    pool.Enlist(word.get());
    pool.Post({Event::Kind::Ready, -1, Status::Ok()});
    Task task;
    while (pool.NextTask(task)) {
        const int entry = task.entry;
        const Status done = ConvertOne(*word, task.files, how, [&pool, entry] {
            pool.Post({Event::Kind::Printed, entry, Status::Ok()});
        });
        pool.Post({Event::Kind::Finished, entry, done});
    }
    const Status quit = word->Quit();
    pool.Discharge(word.get());
    word.reset();
    pool.Post({Event::Kind::Quit, -1, quit});
}

int InstanceCount(const ConversionRequest &request, const WordProcessorStarter &starter)
{
    const int wanted = request.instances > 0
                           ? request.instances
                           : std::min(kMostInstances, std::max(1, QThread::idealThreadCount()));
    int documents = 0;
    for (const ConversionEntry &entry : request.entries)
        documents += entry.ticked ? 1 : 0;
    return std::max(1, std::min({wanted, std::max(1, starter.instances), documents}));
}

} // namespace

ConversionFiles ConversionFilesFor(const QString &documentPath)
{
    const qsizetype slashAt = documentPath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = documentPath.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > slashAt ? documentPath.left(dot) : documentPath;
    const qsizetype slash = base.lastIndexOf(QLatin1Char('/'));
    // The office writes the print file through temporary files of its own beside it.
    const QString printFile = ScratchFolderIn(slash < 0 ? QStringLiteral(".") : base.left(slash)) +
                              QLatin1Char('/') + base.mid(slash + 1) + QStringLiteral(".PS");
    ConversionFiles files{documentPath, printFile,
                          ResolveIgnoringCase(base + QStringLiteral(".PDF")), QString()};
    files.log = LogPathFor(files.pdf);
    return files;
}

namespace {

// One conversion as it runs: documents handed out in list order to the word processors of the
// pool, and their news taken in, on the job's thread alone, which alone talks to the observer.
class ConversionRun {
public:
    ConversionRun(const ConversionRequest &request, JobObserver &observer, Pool &pool,
                  int instances)
        : request_(request), observer_(observer), pool_(pool), instances_(instances),
          count_(int(request.entries.size())), outcome_(count_), pdfs_(count_), bases_(count_)
    {}

    // Waits until a word processor is ready; false when none could start.
    bool Begin()
    {
        while (ready_ == 0 && failed_ < instances_)
            Drain();
        if (ready_ == 0)
            return false;
        observer_.Doing(QCoreApplication::translate("Conversion", "Creating PDF File..."));
        observer_.At(request_.bookName);
        observer_.Progress(0, count_);
        return true;
    }

    // Hands out every document, as word processors come free, and waits for them all.
    void HandOutAll()
    {
        while (next_ < count_ || busy_ > 0) {
            if (next_ == count_ || busy_ >= ready_) {
                // With nothing left to hand out, an instance that is done quits while others
                // finish.
                if (next_ == count_)
                    pool_.Close();
                Drain();
                continue;
            }
            if (StopIfAsked()) {
                next_ = count_;
                continue;
            }
            HandOut(next_++);
        }
    }

    // Lets every word processor quit, or end when none started.
    void End()
    {
        pool_.Close();
        while (ended_ + failed_ < instances_)
            Drain();
    }

    void CollectInto(ConversionResult &result) const
    {
        result.started = true;
        result.stopped = stopped_;
        for (int k = 0; k < count_; ++k) {
            // A document the stop cut short is no failure of its own: its PDF is as it was.
            if (outcome_.at(k).reason() != StoppedReason())
                result.problems.add(outcome_.at(k));
            if (!pdfs_.at(k).isEmpty() && outcome_.at(k).ok())
                result.converted.append(
                    {JoinPath(request_.workingFolder, request_.entries.at(k).name), pdfs_.at(k)});
        }
        if (!stopped_) // a stopped word processor was ended, not quit
            result.problems.merge(quitProblems_);
        result.notices.append(notices_);
    }

    const Status &FirstFailure() const { return firstFailure_; }

private:
    void Handle(const Event &event)
    {
        switch (event.kind) {
        case Event::Kind::Ready:
            ++ready_;
            break;
        case Event::Kind::StartFailed:
            ++failed_;
            if (firstFailure_.ok())
                firstFailure_ = event.status;
            break;
        case Event::Kind::Printed:
            observer_.Doing(
                QCoreApplication::translate("Conversion", "Converting Postscript to PDF..."));
            break;
        case Event::Kind::Finished:
            --busy_;
            inFlight_.remove(bases_.at(event.entry));
            outcome_[event.entry] = event.status;
            if (event.status)
                observer_.Made(pdfs_.at(event.entry));
            observer_.Progress(++finished_, count_);
            break;
        case Event::Kind::Quit:
            ++ended_;
            quitProblems_.add(event.status);
            break;
        }
    }

    // A stop asked for ends the handing out, and the word processors at work.
    bool StopIfAsked()
    {
        if (!stopped_ && observer_.StopRequested()) {
            stopped_ = true;
            pool_.Abort();
        }
        return stopped_;
    }

    void Drain()
    {
        const std::deque<Event> events = pool_.TakeEvents();
        if (events.empty())
            observer_.Waiting();
        for (const Event &event : events)
            Handle(event);
        StopIfAsked();
    }

    void HandOut(int k)
    {
        const ConversionEntry &entry = request_.entries.at(k);
        observer_.Entry(k);
        if (!entry.ticked) {
            observer_.Progress(++finished_, count_);
            return;
        }
        observer_.Doing(
            QCoreApplication::translate("Conversion", "Printing to Postscript File..."));
        observer_.At(entry.name, k);
        const QString path = JoinPath(request_.workingFolder, entry.name);
        if (path.contains(QLatin1Char(','))) {
            const Notice warning{CommaWarning(path),
                                 QCoreApplication::translate("Conversion", "*** Warning ***"),
                                 Notice::Icon::Critical};
            notices_.append(warning);
            observer_.Tell(warning);
            ++finished_; // counted, but the bar moves on with the next document only
            return;
        }
        ConversionFiles files = ConversionFilesFor(path);
        const QString base = files.pdf.toCaseFolded();
        // Two kinds of document of one name would make one PDF: the first in the list has it.
        const QString type = path.mid(path.lastIndexOf(QLatin1Char('.'))).toCaseFolded();
        if (const auto other = typeOfBase_.constFind(base);
            other != typeOfBase_.cend() && other->first != type) {
            outcome_[k] = Status::Failed(
                path, QCoreApplication::translate(
                          "Conversion", "was not converted: its PDF would be the one of %1")
                          .arg(other->second));
            observer_.Progress(++finished_, count_);
            return;
        }
        typeOfBase_.insert(base, {type, path});
        // Documents that differ only in letter case share their print file and PDF: the later
        // one waits for the earlier, as it would with one instance.
        if (inFlight_.contains(base)) {
            while (inFlight_.contains(base))
                Drain();
            files = ConversionFilesFor(path); // the earlier one's PDF may be there now
        }
        pdfs_[k] = files.pdf;
        bases_[k] = base;
        inFlight_.insert(base);
        ++busy_;
        pool_.Hand({k, files});
    }

    const ConversionRequest &request_;
    JobObserver &observer_;
    Pool &pool_;
    const int instances_;
    const int count_;
    int ready_ = 0, failed_ = 0, ended_ = 0;
    int next_ = 0, busy_ = 0, finished_ = 0;
    bool stopped_ = false;
    Status firstFailure_;
    QList<Status> outcome_;
    QList<QString> pdfs_;
    QList<QString> bases_; // of the documents handed out
    QSet<QString> inFlight_;
    QHash<QString, std::pair<QString, QString>> typeOfBase_; // PDF -> the first type, document
    Problems quitProblems_;
    QList<Notice> notices_;
};

} // namespace

ConversionResult ConvertDocuments(const ConversionRequest &request,
                                  const WordProcessorStarter &wordProcessor, JobObserver &observer)
{
    ConversionResult result;
    Pool pool;
    const int instances = InstanceCount(request, wordProcessor);
    std::vector<std::thread> threads;
    for (int i = 0; i < instances; ++i)
        threads.emplace_back(RunInstance, std::cref(wordProcessor), std::cref(request.how),
                             std::ref(pool));
    ConversionRun run(request, observer, pool, instances);
    const bool begun = run.Begin();
    if (begun)
        run.HandOutAll();
    run.End();
    for (std::thread &thread : threads)
        thread.join();
    if (!begun) {
        result.problems.add(run.FirstFailure());
        return result;
    }
    run.CollectInto(result);
    RemoveScratchFolder(ScratchFolderIn(request.workingFolder));
    return result;
}

} // namespace qf
