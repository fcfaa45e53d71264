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
Status ConvertOne(WordProcessor &word, const ConversionFiles &files,
                  const std::function<void()> &printed)
{
    // Scratch names belong to this process: whatever stands there is a leftover, or a link laid as
    // a trap, and goes (a link itself, never what it points to).
    if (const Status made = MakeScratchFolder(QFileInfo(files.printFile).path()); !made)
        return made;
    QFile::remove(files.printFile);
    QFile::remove(files.log);
    word.SetVisible(false);
    Status status = word.OpenDocument(files.document);
    if (!status)
        return status;
    status = word.SetActivePrinter(kPdfPrinterName);
    if (status)
        status = word.PrintOut(true, files.printFile);
    if (!status) {
        word.CloseDocuments();
        QFile::remove(files.printFile);
        return status;
    }
    while (word.BackgroundPrintingStatus() > 0)
        std::this_thread::sleep_for(250ms);
    printed();
    const Status converted = FileToPDF(files.printFile, files.pdf, QString());
    const Status closed = word.CloseDocuments();
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
void RunInstance(const WordProcessorStarter &starter, Pool &pool)
{
    Status started;
    std::unique_ptr<WordProcessor> word = starter.start(started);
    if (!word) {
        pool.Post({Event::Kind::StartFailed, -1, started});
        return;
    }
    pool.Enlist(word.get());
    pool.Post({Event::Kind::Ready, -1, Status::Ok()});
    const QString savedPrinter = word->ActivePrinter();
    Task task;
    while (pool.NextTask(task)) {
        const int entry = task.entry;
        const Status done = ConvertOne(*word, task.files, [&pool, entry] {
            pool.Post({Event::Kind::Printed, entry, Status::Ok()});
        });
        pool.Post({Event::Kind::Finished, entry, done});
    }
    word->SetActivePrinter(savedPrinter);
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

ConversionResult ConvertDocuments(const ConversionRequest &request,
                                  const WordProcessorStarter &wordProcessor, JobObserver &observer)
{
    ConversionResult result;
    Pool pool;
    const int instances = InstanceCount(request, wordProcessor);
    std::vector<std::thread> threads;
    for (int i = 0; i < instances; ++i)
        threads.emplace_back(RunInstance, std::cref(wordProcessor), std::ref(pool));

    int ready = 0, failed = 0, ended = 0;
    Status firstFailure;
    const int count = int(request.entries.size());
    QList<Status> outcome(count);
    QList<QString> pdfs(count);
    QList<QString> bases(count); // of the documents handed out
    QSet<QString> inFlight;
    QHash<QString, std::pair<QString, QString>> typeOfBase; // PDF -> the first type, document
    int next = 0, busy = 0, finished = 0;
    bool begun = false;
    Problems quitProblems;
    // The job alone talks to the observer; the instances' news comes here.
    const auto handle = [&](const Event &event) {
        switch (event.kind) {
        case Event::Kind::Ready:
            ++ready;
            break;
        case Event::Kind::StartFailed:
            ++failed;
            if (firstFailure.ok())
                firstFailure = event.status;
            break;
        case Event::Kind::Printed:
            observer.Doing(
                QCoreApplication::translate("Conversion", "Converting Postscript to PDF..."));
            break;
        case Event::Kind::Finished:
            --busy;
            inFlight.remove(bases.at(event.entry));
            outcome[event.entry] = event.status;
            if (event.status)
                observer.Made(pdfs.at(event.entry));
            observer.Progress(++finished, count);
            break;
        case Event::Kind::Quit:
            ++ended;
            quitProblems.add(event.status);
            break;
        }
    };
    // A stop asked for ends the handing out, and the word processors at work.
    bool stopped = false;
    const auto stopIfAsked = [&] {
        if (!stopped && observer.StopRequested()) {
            stopped = true;
            pool.Abort();
        }
        return stopped;
    };
    const auto drain = [&] {
        const std::deque<Event> events = pool.TakeEvents();
        if (events.empty())
            observer.Waiting();
        for (const Event &event : events)
            handle(event);
        stopIfAsked();
    };

    while (ready == 0 && failed < instances)
        drain();
    if (ready > 0) {
        begun = true;
        observer.Doing(QCoreApplication::translate("Conversion", "Creating PDF File..."));
        observer.At(request.bookName);
        observer.Progress(0, count);
    }
    while (begun && (next < count || busy > 0)) {
        if (next == count || busy >= ready) {
            // With nothing left to hand out, an instance that is done quits while others finish.
            if (next == count)
                pool.Close();
            drain();
            continue;
        }
        if (stopIfAsked()) {
            next = count;
            continue;
        }
        const int k = next++;
        const ConversionEntry &entry = request.entries.at(k);
        observer.Entry(k);
        if (!entry.ticked) {
            observer.Progress(++finished, count);
            continue;
        }
        observer.Doing(QCoreApplication::translate("Conversion", "Printing to Postscript File..."));
        observer.At(entry.name, k);
        const QString path = JoinPath(request.workingFolder, entry.name);
        if (path.contains(QLatin1Char(','))) {
            const Notice warning{CommaWarning(path),
                                 QCoreApplication::translate("Conversion", "*** Warning ***"),
                                 Notice::Icon::Critical};
            result.notices.append(warning);
            observer.Tell(warning);
            ++finished; // counted, but the bar moves on with the next document only
            continue;
        }
        ConversionFiles files = ConversionFilesFor(path);
        const QString base = files.pdf.toCaseFolded();
        // Two kinds of document of one name would make one PDF: the first in the list has it.
        const QString type = path.mid(path.lastIndexOf(QLatin1Char('.'))).toCaseFolded();
        if (const auto other = typeOfBase.constFind(base);
            other != typeOfBase.cend() && other->first != type) {
            outcome[k] = Status::Failed(
                path, QCoreApplication::translate(
                          "Conversion", "was not converted: its PDF would be the one of %1")
                          .arg(other->second));
            observer.Progress(++finished, count);
            continue;
        }
        typeOfBase.insert(base, {type, path});
        // Documents that differ only in letter case share their print file and PDF: the later
        // one waits for the earlier, as it would with one instance.
        if (inFlight.contains(base)) {
            while (inFlight.contains(base))
                drain();
            files = ConversionFilesFor(path); // the earlier one's PDF may be there now
        }
        pdfs[k] = files.pdf;
        bases[k] = base;
        inFlight.insert(base);
        ++busy;
        pool.Hand({k, files});
    }
    pool.Close();
    while (ended + failed < instances)
        drain();
    for (std::thread &thread : threads)
        thread.join();

    if (!begun) {
        result.problems.add(firstFailure);
        return result;
    }
    result.started = true;
    result.stopped = stopped;
    for (int k = 0; k < count; ++k) {
        // A document the stop cut short is no failure of its own: its PDF is as it was.
        if (outcome.at(k).reason() != StoppedReason())
            result.problems.add(outcome.at(k));
        if (!pdfs.at(k).isEmpty() && outcome.at(k).ok())
            result.converted.append(
                {JoinPath(request.workingFolder, request.entries.at(k).name), pdfs.at(k)});
    }
    if (!stopped) // a stopped word processor was ended, not quit
        result.problems.merge(quitProblems);
    RemoveScratchFolder(ScratchFolderIn(request.workingFolder));
    return result;
}

} // namespace qf
