#include "ocr/RecogniseScans.h"

#include "book/PdfFile.h"
#include "convert/ChildProcess.h"
#include "core/Workspace.h"
#include "ocr/RecognitionCache.h"
#include "ocr/RecognitionTools.h"
#include "ocr/ScannedPages.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <list>

namespace qf {
namespace {

using Clock = std::chrono::steady_clock;

// A PDF of the request with pages to recognise.
struct Scanned {
    QString name;
    QString path;
    std::vector<int> pages; // numbered from 1
    int pageCount = 0;
    QString copy; // its recognised copy's place in the cache
};

// The PDFs with scanned pages; one that cannot be read is left to the compile, which names it.
QList<Scanned> FindScanned(const RecognitionRequest &request, JobObserver &observer)
{
    observer.Doing(QCoreApplication::translate("Recognition", "Looking for scanned pages..."));
    QList<Scanned> found;
    const int count = int(request.names.size());
    for (int i = 0; i < count && !observer.StopRequested(); ++i) {
        Scanned scan;
        scan.name = request.names.at(i);
        scan.path = JoinPath(request.workingFolder, scan.name);
        observer.Progress(i, count);
        if (FindScannedPages(scan.path, scan.pages, scan.pageCount) && !scan.pages.empty())
            found.append(scan);
    }
    return found;
}

QString PageList(const std::vector<int> &pages)
{
    QStringList list;
    for (int page : pages)
        list.append(QString::number(page));
    return list.join(QLatin1Char(','));
}

// The scan's pages as its recognised copy holds them: a page Tesseract found no text on draws its
// image and still shows none.
RecognisedDocument Recognised(const Scanned &scan)
{
    RecognisedDocument doc{scan.name};
    std::vector<int> still;
    int pages = 0;
    if (!FindScannedPages(scan.copy, still, pages))
        still.clear(); // the compile names a copy it cannot read
    for (int page : scan.pages)
        (std::binary_search(still.begin(), still.end(), page) ? doc.withoutText : doc.withText)
            .append(page);
    doc.pages = int(doc.withText.size());
    return doc;
}

// One OCRmyPDF at work on one PDF, its copy written into the cache whole or not at all.
class Recognition {
public:
    Recognition(const Scanned &scan, const QString &languages, const QString &cacheFolder,
                const QString &scratch)
        : scan_(scan), languages_(languages), cacheFolder_(cacheFolder)
    {
        // OCRmyPDF's own temporary files, which a stopped run would leave in /tmp.
        process_.SetEnvironment(QStringLiteral("TMPDIR"), scratch);
    }

    const Scanned &scan() const { return scan_; }
    // Its scanned pages done so far: those before the one it is at.
    int PagesDone() const
    {
        return int(std::count_if(scan_.pages.begin(), scan_.pages.end(),
                                 [this](int page) { return page < page_; }));
    }
    // The page it is at, once it has changed since last asked; else 0.
    int NewPage()
    {
        const int page = page_ != shownPage_ ? page_ : 0;
        shownPage_ = page_;
        return page;
    }

    Status Start()
    {
        if (const Status begun = out_.Begin(scan_.copy, cacheFolder_); !begun)
            return Fail(begun.message());
        // The image stays as it is (no PDF/A, no optimising), and only the scanned pages are
        // recognised: a page's own text is never doubled.
        const QStringList arguments{QStringLiteral("-v1"),        QStringLiteral("--jobs"),
                                    QStringLiteral("1"),          QStringLiteral("--output-type"),
                                    QStringLiteral("pdf"),        QStringLiteral("--optimize"),
                                    QStringLiteral("0"),          QStringLiteral("--skip-text"),
                                    QStringLiteral("--pages"),    PageList(scan_.pages),
                                    QStringLiteral("--language"), languages_,
                                    QStringLiteral("--"),         scan_.path,
                                    out_.TemporaryPath()};
        QString reason;
        if (!process_.Start(QStringLiteral("ocrmypdf"), arguments, ChildProcess::Channels::Capture,
                            &reason))
            return Fail(reason);
        // Generous: a large page at a high resolution takes Tesseract a minute on a slow machine.
        deadline_ = Clock::now() + std::chrono::seconds(60 + 60 * scan_.pages.size());
        return Status::Ok();
    }

    // Whether it has ended; meanwhile follows the page it is at.
    bool Ended()
    {
        const bool ended = process_.WaitForExit(std::chrono::milliseconds(20));
        Follow(process_.TakeOutput());
        return ended || Clock::now() > deadline_;
    }

    Status Finish()
    {
        if (process_.IsRunning()) {
            process_.End();
            return Fail(QCoreApplication::translate("Recognition", "OCRmyPDF took too long"));
        }
        if (process_.Crashed() || process_.ExitCode() != 0)
            return Fail(QCoreApplication::translate("Recognition", "OCRmyPDF said: %1")
                            .arg(lastLine_.isEmpty()
                                     ? QCoreApplication::translate("Recognition", "exit code %1")
                                           .arg(process_.ExitCode())
                                     : lastLine_));
        std::shared_ptr<PdfFile> copy;
        const Status read = ReadPdfFile(out_.TemporaryPath(), copy);
        if (!read || PageCount(*copy) != scan_.pageCount)
            return Fail(
                QCoreApplication::translate("Recognition", "OCRmyPDF made no whole copy of it"));
        if (const Status committed = out_.Commit(); !committed)
            return Fail(committed.message());
        return Status::Ok();
    }

    void End() { process_.End(); }

private:
    Status Fail(const QString &reason)
    {
        out_.Abandon();
        return Status::Failed(
            scan_.path, QCoreApplication::translate(
                            "Recognition", "its scanned pages could not be made searchable (%1); "
                                           "it went into the book as it is")
                            .arg(reason));
    }

    // OCRmyPDF says "   2 Rasterize ..." as it starts on page 2.
    void Follow(const QByteArray &output)
    {
        pending_ += QString::fromLocal8Bit(output);
        static const QRegularExpression started(QStringLiteral("^\\s*(\\d+) Rasterize"));
        qsizetype end;
        while ((end = pending_.indexOf(QLatin1Char('\n'))) >= 0) {
            const QString line = pending_.left(end).trimmed();
            pending_.remove(0, end + 1);
            if (const auto match = started.match(line); match.hasMatch())
                page_ = match.captured(1).toInt();
            else if (!line.isEmpty())
                lastLine_ = line;
        }
    }

    const Scanned &scan_;
    QString languages_;
    QString cacheFolder_;
    WholeFileWrite out_;
    ChildProcess process_;
    Clock::time_point deadline_;
    QString pending_;
    QString lastLine_;
    int page_ = 0;
    int shownPage_ = 0;
};

// Runs the recognitions, atOnce side by side, until all have ended or the user stops them.
void RecogniseAll(const QList<Scanned> &pending, const QString &languages,
                  const RecognitionRequest &request, const QString &cacheFolder,
                  JobObserver &observer, RecognitionResult &result)
{
    const int atOnce =
        request.atOnce > 0 ? request.atOnce : std::max(1, QThread::idealThreadCount());
    int totalPages = 0;
    for (const Scanned &scan : pending)
        totalPages += int(scan.pages.size());
    int donePages = 0;
    observer.Doing(
        QCoreApplication::translate("Recognition", "Making scanned pages searchable..."));
    const QTemporaryDir scratch(JoinPath(cacheFolder, RecognitionCache::kScratchPrefix) +
                                QStringLiteral("XXXXXX"));
    std::list<Recognition> running;
    qsizetype next = 0;
    observer.Progress(0, totalPages);
    while (next < pending.size() || !running.empty()) {
        if (observer.StopRequested()) {
            for (Recognition &recognition : running)
                recognition.End();
            result.stopped = true;
            return;
        }
        while (next < pending.size() && int(running.size()) < atOnce) {
            Recognition &started =
                running.emplace_back(pending.at(next++), languages, cacheFolder, scratch.path());
            if (const Status begun = started.Start(); !begun) {
                result.problems.add(begun);
                donePages += int(started.scan().pages.size());
                running.pop_back();
            }
        }
        // The bar counts pages as they are done, not only documents.
        const auto pagesDone = [&] {
            int done = donePages;
            for (const Recognition &recognition : running)
                done += recognition.PagesDone();
            return done;
        };
        for (auto it = running.begin(); it != running.end();) {
            const Scanned &scan = it->scan();
            const bool ended = it->Ended();
            if (const int page = it->NewPage(); page > 0) {
                observer.At(QCoreApplication::translate("Recognition",
                                                        "Recognising text: %1, page %2 of %3")
                                .arg(scan.name)
                                .arg(page)
                                .arg(scan.pageCount),
                            donePages);
                observer.Progress(pagesDone(), totalPages);
            }
            if (!ended) {
                ++it;
                continue;
            }
            if (const Status finished = it->Finish(); finished) {
                result.copies.insert(scan.name, scan.copy);
                result.recognised.append(Recognised(scan));
            } else {
                result.problems.add(finished);
            }
            donePages += int(scan.pages.size());
            it = running.erase(it);
            observer.Progress(pagesDone(), totalPages);
        }
        observer.Waiting();
    }
}

// The list's order, whether a copy was made now or found.
void SortByList(const RecognitionRequest &request, RecognitionResult &result)
{
    std::stable_sort(result.recognised.begin(), result.recognised.end(),
                     [&](const RecognisedDocument &a, const RecognisedDocument &b) {
                         return request.names.indexOf(a.name) < request.names.indexOf(b.name);
                     });
}

} // namespace

RecognitionResult RecogniseScans(const RecognitionRequest &request, JobObserver &observer)
{
    RecognitionResult result;
    const QList<Scanned> found = FindScanned(request, observer);
    if (found.isEmpty() || observer.StopRequested()) {
        result.stopped = observer.StopRequested();
        return result;
    }
    const RecognitionTools tools = FindRecognitionTools();
    const QString languages = RecognitionLanguages(request.languages, tools.languages);
    const RecognitionCache cache(request.cacheFolder.isEmpty() ? RecognitionCache::DefaultFolder()
                                                               : request.cacheFolder);
    if (const Status opened = cache.Open(); !opened) {
        result.problems.add(Status::Failed(
            opened.file(),
            QCoreApplication::translate("Recognition", "%1, so no scanned page was made searchable")
                .arg(opened.reason())));
        return result;
    }
    QList<Scanned> pending;
    for (Scanned scan : found) {
        if (const Status digested = cache.PathFor(scan.path, languages, scan.copy); !digested)
            continue; // unreadable now: the compile names it
        if (RecognitionCache::Take(scan.copy)) {
            result.copies.insert(scan.name, scan.copy);
            result.recognised.append(Recognised(scan));
        } else {
            pending.append(scan);
        }
    }
    if (!pending.isEmpty()) {
        if (const QStringList missing = MissingPackages(tools, languages); !missing.isEmpty()) {
            result.notices.append(
                {QCoreApplication::translate(
                     "Recognition",
                     "The scanned pages of %n PDF(s) were not made searchable: text recognition "
                     "needs what is not installed here. Install it with:\n\nsudo apt-get "
                     "install %1",
                     nullptr, int(pending.size()))
                     .arg(missing.join(QLatin1Char(' '))),
                 kProgramTitle, Notice::Icon::Warning});
            observer.Tell(result.notices.last());
        } else {
            RecogniseAll(pending, languages, request, cache.Folder(), observer, result);
        }
    }
    SortByList(request, result);
    if (!result.stopped)
        cache.Prune();
    return result;
}

QString RecognisedText(const QList<RecognisedDocument> &recognised)
{
    const auto list = [](const QList<int> &pages) {
        QStringList numbers;
        for (int page : pages)
            numbers.append(QString::number(page));
        return numbers.join(QStringLiteral(", "));
    };
    const auto count = [](const QList<int> &pages) {
        return QCoreApplication::translate("Recognition", "%n page(s)", nullptr, int(pages.size()));
    };
    QStringList named;
    for (const RecognisedDocument &doc : recognised)
        if (doc.withoutText.isEmpty())
            named.append(
                QCoreApplication::translate("Recognition", "%1 (%n page(s))", nullptr, doc.pages)
                    .arg(doc.name));
        else if (doc.withText.isEmpty())
            named.append(
                QCoreApplication::translate("Recognition", "%1 (no text was found on %2: %3)")
                    .arg(doc.name, count(doc.withoutText), list(doc.withoutText)));
        else
            named.append(QCoreApplication::translate("Recognition",
                                                     "%1 (%2: %3; no text was found on %4: %5)")
                             .arg(doc.name, count(doc.withText), list(doc.withText),
                                  count(doc.withoutText), list(doc.withoutText)));
    return named.join(QStringLiteral(", "));
}

} // namespace qf
