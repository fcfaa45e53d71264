#include "compile/VolumePlan.h"

#include "book/PdfFile.h"
#include "compile/BookBundle.h"
#include "compile/KeptSources.h"
#include "compile/MakeBook.h"
#include "core/Workspace.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace qf {
namespace {

// What volumes are planned from: each document's pages (0 for one that is left out) and its
// bookmark's title.
struct DocumentFacts {
    QList<int> pages;
    QStringList titles;
};

DocumentFacts ReadDocumentFacts(const CompileRequest &request, const QStringList &paths)
{
    // Each document is parsed: on as many threads as there are cores.
    const qsizetype count = paths.size();
    // A bundle keeps a page in the place of a document left out.
    const int leftOutPages = BookBundle(request).Placeholders() ? 1 : 0;
    std::vector<int> pages(size_t(count), 0);
    std::vector<QString> titles(static_cast<size_t>(count));
    std::atomic<qsizetype> next{0};
    const auto read = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            std::shared_ptr<PdfFile> source;
            const Status status = CountPages(
                source.get(), ReadPdfFile(paths.at(i), source, PasswordFor(request, paths.at(i))),
                paths.at(i), pages[size_t(i)]);
            if (!status)
                pages[size_t(i)] = leftOutPages;
            const QString &name = request.names.at(i);
            titles[size_t(i)] = request.bookmarkTitles == BookmarkTitles::FirstDot
                                    ? BookmarkTitle(name)
                                    : BookmarkTitle(name, request.bookmarkTitles,
                                                    status ? OwnTitle(source->pdf) : QString());
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::clamp(QThread::idealThreadCount(), 1, 4); ++t)
        threads.emplace_back(read);
    read();
    for (std::thread &thread : threads)
        thread.join();
    DocumentFacts facts;
    facts.pages = QList<int>(pages.begin(), pages.end());
    facts.titles = QStringList(titles.begin(), titles.end());
    return facts;
}

// The pages of the first volume's index (its blank sheet aside): as many as the set's widest
// numbers can need.
int PlannedIndexPages(const CompileRequest &request, const DocumentFacts &facts)
{
    if (!request.indexPage)
        return 0;
    QStringList titles;
    for (qsizetype d = 0; d < facts.pages.size(); ++d)
        if (facts.pages.at(d) > 0)
            titles.append(facts.titles.at(d));
    if (titles.isEmpty())
        return 0;
    const BookBundle bundle(request);
    const int documents = int(facts.pages.size());
    const int body = VolumePages(facts.pages, request.blankSheets, {0, documents});
    for (int pages = 1;;) {
        const int needed =
            bundle.IndexPagesInSet(titles, documents, request.place.firstNumber + body + pages + 1);
        if (needed <= pages)
            return needed == 0 ? 0 : pages; // none: no font for an index
        pages = needed;
    }
}

// The request for one volume: the documents of cut, in its place in the set; the first holds
// the index, if any.
CompileRequest VolumeRequest(const CompileRequest &request, const VolumeCut &cut, int volumes,
                             const VolumePlace &place)
{
    CompileRequest part = request;
    part.names = request.names.mid(cut.first, cut.count);
    part.bookName = VolumeName(request.bookName, place.volume, volumes);
    part.place = place;
    part.indexPage = request.indexPage && place.volume == 1;
    return part;
}

struct VolumePlan {
    QList<VolumeCut> cuts;
    // For a limit in bytes, each volume's sources as they were read to measure it; written from.
    std::vector<std::unique_ptr<KeptSources>> kept;
    QList<int> pages; // each volume's, the first's index included
    int total = 0;
    QList<IndexedElsewhere> later;                 // the later volumes' documents, for the index
    QList<std::pair<int, InAnotherVolume>> placed; // each document's volume (zero-based), place
    int indexPages = 0; // the first volume's index's, its blank sheet aside
};

// Where each document of the later volumes starts, for the index in the first.
void PlaceLaterDocuments(const CompileRequest &request, const DocumentFacts &facts, int front,
                         VolumePlan &plan)
{
    const int volumes = int(plan.cuts.size());
    int before = 0;
    for (int i = 0; i < volumes; ++i) {
        const VolumeCut &cut = plan.cuts.at(i);
        int start = i == 0 ? front : 0;
        bool sheetDue = false;
        for (int d = cut.first; d < cut.first + cut.count; ++d) {
            const int pages = facts.pages.at(d);
            if (pages == 0)
                continue;
            start += sheetDue ? 1 : 0;
            plan.placed.append({i,
                                {request.names.at(d), VolumeName(request.bookName, i + 1, volumes),
                                 start, pages}});
            if (i > 0)
                plan.later.append({facts.titles.at(d), VolumeName(request.bookName, i + 1, volumes),
                                   i + 1, start, request.place.firstNumber + before + start});
            start += pages;
            sheetDue = request.blankSheets && pages % 2 == 1;
        }
        before += plan.pages.at(i);
    }
}

// The documents of every volume but volume (zero-based), for the links that lead to them.
std::vector<InAnotherVolume> OtherVolumes(const VolumePlan &plan, int volume)
{
    std::vector<InAnotherVolume> others;
    for (const auto &[in, place] : plan.placed)
        if (in != volume)
            others.push_back(place);
    return others;
}

// How the documents fall into volumes under the request's limit; observer, if any, is told of
// the documents read to measure them, and may stop the planning (the plan is then of no use).
VolumePlan PlanVolumes(const CompileRequest &request, const QStringList &paths,
                       const VolumeLimit &limit, JobObserver *observer = nullptr)
{
    const DocumentFacts facts = ReadDocumentFacts(request, paths);
    VolumePlan plan;
    const int documents = int(facts.pages.size());
    plan.indexPages = PlannedIndexPages(request, facts);
    const int front = plan.indexPages + (request.blankSheets && plan.indexPages % 2 == 1 ? 1 : 0);
    // A volume is measured as it will be written, where the set's numbers, volume names and
    // pages are unknown yet as wide as they can be: it is never larger than measured.
    const int most = front + VolumePages(facts.pages, request.blankSheets, {0, documents});
    const QString widest = VolumeName(request.bookName, documents, documents);
    // Each volume's sources are read once, from its first document on, and kept: its candidates
    // are measured from them and it is written from them. The volumes take the set's choice of
    // object streams, as their pieces must.
    const bool objectStreams = ObjectStreamsFor(request, paths);
    int read = 0; // documents read so far, as far as the observer knows
    const auto bytesOf = [&](int first, int count, int pagesBefore) {
        if (plan.kept.empty() || plan.kept.back()->First() != first) {
            if (!plan.kept.empty()) // the volume before ends where this one starts
                plan.kept.back()->KeepFirst(first - plan.kept.back()->First());
            plan.kept.push_back(std::make_unique<KeptSources>(
                request, paths, first, objectStreams,
                [&](int document) {
                    if (!observer || document < read)
                        return;
                    read = document + 1;
                    observer->At(request.names.at(document), document);
                    observer->Progress(read, documents);
                },
                limit.amount));
        }
        KeptSources &kept = *plan.kept.back();
        if (observer && observer->StopRequested())
            return limit.amount + 1; // nothing more is read
        VolumePlace place{
            first == 0 ? 1 : documents,      request.place.firstNumber + pagesBefore, most, {}, {},
            first == 0 ? plan.indexPages : 0};
        for (int d = 0; d < documents; ++d) {
            if (d >= first && d < first + count)
                continue;
            if (first == 0)
                place.later.append({facts.titles.at(d), widest, documents, most, most});
            place.others.push_back({request.names.at(d), widest, most, facts.pages.at(d)});
        }
        return MeasureBook(VolumeRequest(request, {first, count}, documents, place),
                           paths.mid(first, count), nullptr, &kept);
    };
    const auto pieceBytes = [&](int first, int count) -> qint64 {
        if (plan.kept.empty() || plan.kept.back()->First() != first)
            return 0;
        return plan.kept.back()->PieceBytes(count, limit.amount);
    };
    plan.cuts = CutIntoVolumes(facts.pages, request.blankSheets, limit, bytesOf, front, pieceBytes);
    if (!plan.kept.empty())
        plan.kept.back()->KeepFirst(documents - plan.kept.back()->First());
    // Each volume measured has its sources kept.
    bool keptEach = plan.kept.size() == size_t(plan.cuts.size());
    for (qsizetype i = 0; keptEach && i < plan.cuts.size(); ++i)
        keptEach = plan.kept.at(size_t(i))->First() == plan.cuts.at(i).first;
    if (!keptEach)
        plan.kept.clear();
    for (const VolumeCut &cut : plan.cuts) {
        plan.pages.append(VolumePages(facts.pages, request.blankSheets, cut) +
                          (cut.first == 0 ? front : 0));
        plan.total += plan.pages.last();
    }
    PlaceLaterDocuments(request, facts, front, plan);
    return plan;
}

// Tells what one volume's compile does as steps of the whole job: its documents counted from
// where the volume starts, out of all the documents.
class InTheWholeJob : public JobObserver {
public:
    InTheWholeJob(JobObserver &whole, int first, int total)
        : whole_(whole), first_(first), total_(total)
    {}
    void Doing(const QString &what) override { whole_.Doing(what); }
    void At(const QString &file, int step) override
    {
        whole_.At(file, step < 0 ? step : first_ + step);
    }
    void Entry(int index) override { whole_.Entry(first_ + index); }
    void Progress(int done, int) override { whole_.Progress(first_ + done, total_); }
    void Made(const QString &path) override { whole_.Made(path); }
    void Tell(const Notice &notice) override { whole_.Tell(notice); }
    void Waiting() override { whole_.Waiting(); }
    bool StopRequested() override { return whole_.StopRequested(); }

private:
    JobObserver &whole_;
    const int first_, total_;
};

} // namespace

void RemoveStaleVolumes(const CompileRequest &request, const QStringList &kept)
{
    const QString folder = JoinPath(request.workingFolder, kOutputFolderName);
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::System);
    for (const QString &name : names)
        if ((IsVolumeOf(name, request.bookName) || name == request.bookName) &&
            !kept.contains(name))
            QFile::remove(JoinPath(folder, name));
}

void CompileVolumes(const CompileRequest &request, const QStringList &paths,
                    const VolumeLimit &limit, JobObserver &observer, CompileResult &result)
{
    observer.Doing(QCoreApplication::translate("Book", "Dividing the book into volumes..."));
    VolumePlan plan = PlanVolumes(request, paths, limit, &observer);
    if (observer.StopRequested()) {
        result.stopped = true;
        return;
    }
    const int volumes = int(plan.cuts.size());
    QStringList alone;
    for (const VolumeCut &cut : plan.cuts)
        if (cut.overLimit)
            alone.append(request.names.at(cut.first));
    if (!alone.isEmpty()) {
        result.saidAtEnd.append(
            QCoreApplication::translate("Book",
                                        "%n PDF(s) alone larger than a volume may be (%2), so "
                                        "each makes a volume of its own: %1",
                                        nullptr, int(alone.size()))
                .arg(alone.join(QStringLiteral(", ")), limit.Said()));
        // Reported for each document, as scripts read it.
        for (const QString &name : alone)
            result.notices.append(
                {QCoreApplication::translate("Book", "is alone larger than a volume may be (%1), "
                                                     "so it makes a volume of its own")
                     .arg(limit.Said()),
                 kProgramTitle, Notice::Icon::Warning, JoinPath(request.workingFolder, name)});
    }
    std::vector<std::unique_ptr<WholeFileWrite>> targets;
    int numberedBefore = 0;
    for (int i = 0; i < volumes; ++i) {
        const VolumeCut &cut = plan.cuts.at(i);
        const CompileRequest part =
            VolumeRequest(request, cut, volumes,
                          {i + 1, request.place.firstNumber + numberedBefore, plan.total,
                           i == 0 ? plan.later : QList<IndexedElsewhere>(), OtherVolumes(plan, i),
                           i == 0 ? plan.indexPages : 0});
        const QString path = BookPath(request.workingFolder, part.bookName);
        auto &target = targets.emplace_back(std::make_unique<WholeFileWrite>());
        CompileResult made(request.blankSheets);
        const Status begun = target->Begin(path, request.workingFolder);
        InTheWholeJob inTheWhole(observer, cut.first, int(paths.size()));
        KeptSources *kept = plan.kept.empty() ? nullptr : plan.kept.at(size_t(i)).get();
        const bool written = begun && WriteBook(part, paths.mid(cut.first, cut.count), *target,
                                                inTheWhole, made, kept);
        if (kept) // written: its pieces are done with
            plan.kept.at(size_t(i)).reset();
        result.problems.add(begun);
        result.problems.merge(made.problems);
        result.notes.merge(made.notes);
        if (!written) {
            result.stopped = made.stopped;
            if (!made.stopped)
                result.problems.add(Status::Failed(
                    path, QCoreApplication::translate("Book", "no volume was put in place, so the "
                                                              "earlier book is as it was")));
            return;
        }
        result.volumes.append({path, made.layout, made.bytes, numberedBefore});
        result.scaledPages += made.scaledPages;
        result.numberRoom.Add(made.numberRoom.pages, made.numberRoom.leastScale);
        result.changes += made.changes;
        numberedBefore += made.layout.TotalPages();
    }
    QStringList kept;
    for (int i = 0; i < volumes; ++i) {
        if (const Status committed = targets[size_t(i)]->Commit(); !committed) {
            result.problems.add(committed);
            return;
        }
        kept.append(VolumeName(request.bookName, i + 1, volumes));
        result.bytes += result.volumes.at(i).bytes;
    }
    RemoveStaleVolumes(request, kept);
    result.book = result.volumes.first().path;
    result.layout = result.volumes.first().layout;
}

void MeasureVolumes(const CompileRequest &request, const QStringList &paths,
                    const VolumeLimit &limit, BookPlan &plan)
{
    const VolumePlan volumes = PlanVolumes(request, paths, limit);
    const int count = int(volumes.cuts.size());
    int before = 0;
    for (int i = 0; i < count; ++i) {
        const VolumeCut &cut = volumes.cuts.at(i);
        const CompileRequest part =
            VolumeRequest(request, cut, count,
                          {i + 1, request.place.firstNumber + before, volumes.total,
                           i == 0 ? volumes.later : QList<IndexedElsewhere>(),
                           OtherVolumes(volumes, i), i == 0 ? volumes.indexPages : 0});
        BookPlan volume;
        MeasureBook(part, paths.mid(cut.first, cut.count), &volume,
                    volumes.kept.empty() ? nullptr : volumes.kept.at(size_t(i)).get());
        plan.volumes.append(
            {BookPath(request.workingFolder, part.bookName), volume.layout, volume.bytes, before});
        plan.shared.streams += volume.shared.streams;
        plan.shared.bytes += volume.shared.bytes;
        plan.scaledPages += volume.scaledPages;
        before += volumes.pages.at(i);
    }
}

} // namespace qf
