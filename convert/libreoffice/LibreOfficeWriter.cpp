#include "convert/libreoffice/LibreOfficeWriter.h"

#include "convert/ChildProcess.h"
#include "convert/LibreOfficeInstall.h"
#include "convert/libreoffice/OfficeProfile.h"
#include "convert/libreoffice/UnoSession.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace qf {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kStartBound = 60s;
// For closing down, and for a blocked call to return once its office was ended.
constexpr milliseconds kEndBound = 10s;
constexpr milliseconds kLeaderBound = 2s;
constexpr milliseconds kPoll = 20ms;
constexpr milliseconds kConnectRetry = 10ms;

QString EndedReason()
{
    return QCoreApplication::translate("Conversion", "the word processor ended unexpectedly");
}

std::atomic<int> pipe_counter{0};

QString BoundText(milliseconds bound)
{
    return bound.count() % 1000 == 0 ? QStringLiteral("%1 s").arg(bound.count() / 1000)
                                     : QStringLiteral("%1 ms").arg(bound.count());
}

// Kills every process of group but those this program started: the leader (oosplash) then reaps
// the office and exits, and the guard beside it stays. Killing the leader too would leave the
// office a zombie for init to collect.
void KillFollowers(qint64 group)
{
    if (group <= 0)
        return;
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &name : pids) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (!number || pid == group)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(name));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[1] != self)
            ::kill(pid_t(pid), SIGKILL);
    }
}

// The pipe the office keeps for its profile: named after the MD5 of the profile's URL.
QString ProfilePipe(const QString &url)
{
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(reinterpret_cast<const char *>(url.utf16()), url.size() * 2),
        QCryptographicHash::Md5);
    QString hex;
    for (const char byte : digest)
        hex += QString::number(quint8(byte), 16); // unpadded, as the office writes it
    return QStringLiteral("SingleOfficeIPC_") + hex;
}

class LibreOfficeWriter final : public WordProcessor {
public:
    LibreOfficeWriter(const LibreOfficeOptions &options, std::unique_ptr<lo::ProfileSlot> slot)
        : options_(options), slot_(std::move(slot))
    {}
    ~LibreOfficeWriter() override { Shutdown(false); }

    // Starts the office and connects to it; a profile an ended office left unusable is rebuilt.
    bool Launch(QString *reason)
    {
        const bool used = slot_->Used();
        if (LaunchOnce(reason))
            return true;
        if (!used)
            return false;
        slot_->Wipe();
        return LaunchOnce(reason);
    }

    Status OpenReadOnly(const QString &path) override { return Open(path); }
    Status ExportPdf(const QString &path, const PdfExport &how) override
    {
        return Export(path, how);
    }
    Status Close() override { return CloseOpen(); }

    void Abort() override { aborted_ = true; }

    Status Quit() override
    {
        Shutdown(true);
        return Status::Ok();
    }

private:
    enum class Wait { Finished, TimedOut };

    Status Open(const QString &path)
    {
        if (aborted_)
            return Status::Failed(path, StoppedReason());
        if (quit_)
            return Status::Failed(path, QCoreApplication::translate(
                                            "Conversion", "the word processor was already quit"));
        const QFileInfo info(path);
        if (!info.exists())
            return Status::Failed(path,
                                  QCoreApplication::translate("Conversion", "does not exist"));
        if (info.isDir())
            return Status::Failed(
                path, QCoreApplication::translate("Conversion", "is a folder, not a document"));
        if (!info.isReadable())
            return Status::Failed(
                path, QCoreApplication::translate("Conversion", "cannot be read: access denied"));
        CloseOpen();
        if (!OfficeAlive()) {
            EndOffice();
            QString why;
            if (!Launch(&why))
                return Status::Failed(
                    path, QCoreApplication::translate(
                              "Conversion", "the word processor could not be started again: %1")
                              .arg(why));
        }
        const lo::Outcome result =
            Call([path](lo::UnoSession &s) { return s.Open(path); }, options_.documentBound);
        if (result.kind != lo::Outcome::Kind::Done)
            return Status::Failed(path, result.reason);
        document_ = path;
        return Status::Ok();
    }

    Status Export(const QString &outputFile, const PdfExport &how)
    {
        const QString document = document_;
        if (aborted_)
            return Status::Failed(document, StoppedReason());
        if (document.isEmpty())
            return Status::Failed(
                outputFile, QCoreApplication::translate("Conversion",
                                                        "cannot be printed: no document is open"));
        if (!OfficeAlive()) {
            EndOffice();
            return Status::Failed(document, EndedReason());
        }
        QFile probe(outputFile);
        if (!probe.open(QIODevice::WriteOnly))
            return Status::Failed(outputFile,
                                  QCoreApplication::translate("Conversion", "cannot be written: %1")
                                      .arg(probe.errorString()));
        probe.close();
        const lo::Outcome result =
            Call([outputFile, tagged = how.tagged](
                     lo::UnoSession &s) { return s.ExportPdf(outputFile, tagged); },
                 options_.documentBound);
        if (result.kind == lo::Outcome::Kind::Done && QFileInfo(outputFile).size() > 0)
            return Status::Ok();
        QFile::remove(outputFile);
        if (result.kind == lo::Outcome::Kind::Lost)
            return Status::Failed(document, result.reason);
        return Status::Failed(
            outputFile,
            result.kind == lo::Outcome::Kind::Done
                ? QCoreApplication::translate("Conversion", "the word processor wrote nothing")
                : result.reason);
    }

    Status CloseOpen()
    {
        const QString document = document_;
        document_.clear();
        if (document.isEmpty() || !session_ || !session_->HasDocument())
            return Status::Ok();
        if (!OfficeAlive()) {
            // The document went with its office.
            EndOffice();
            return Status::Ok();
        }
        const lo::Outcome result =
            Call([](lo::UnoSession &s) { return s.Close(); }, options_.documentBound);
        return result.kind == lo::Outcome::Kind::Done ? Status::Ok()
                                                      : Status::Failed(document, result.reason);
    }

    void WhileWaiting() const
    {
        if (options_.whileWaiting)
            options_.whileWaiting();
    }

    // Runs work on a worker thread while this thread waits. Past bound the office is ended, which
    // makes a call blocked in it return at once.
    Wait RunBounded(std::function<void()> work, milliseconds bound, bool responsive)
    {
        struct Job {
            std::mutex mutex;
            std::condition_variable finished;
            bool done = false;
        };
        auto job = std::make_shared<Job>();
        std::thread worker([job, work = std::move(work)] {
            // The office's connection writes to a pipe that a dead office closed: that must fail
            // the call, not end the program. Threads started from here inherit the mask.
            sigset_t pipeSignal;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
            try {
                work();
            } catch (...) {
                // The result keeps its "lost" default.
            }
            std::lock_guard<std::mutex> lock(job->mutex);
            job->done = true;
            job->finished.notify_all();
        });
        const auto waitUntil = [&](Clock::time_point deadline, bool stoppable) {
            for (;;) {
                if (stoppable && aborted_)
                    return false; // ended at once, as past the bound
                if (responsive)
                    WhileWaiting();
                std::unique_lock<std::mutex> lock(job->mutex);
                const auto next = std::min(deadline, Clock::now() + kPoll);
                if (job->finished.wait_until(lock, next, [&] { return job->done; }))
                    return true;
                if (Clock::now() >= deadline)
                    return false;
            }
        };
        if (waitUntil(Clock::now() + bound, true)) {
            worker.join();
            return Wait::Finished;
        }
        KillFollowers(office_.ProcessGroup());
        if (waitUntil(Clock::now() + kEndBound, false))
            worker.join();
        else
            worker.detach(); // It owns all it touches; it must not keep the program from exiting.
        return Wait::TimedOut;
    }

    // One call into the office under the watchdog; when the office is gone afterwards, it is
    // ended for good and the reason says so.
    lo::Outcome Call(std::function<lo::Outcome(lo::UnoSession &)> call, milliseconds bound,
                     bool responsive = true)
    {
        auto session = session_;
        auto result = std::make_shared<lo::Outcome>(lo::Outcome::Gone());
        const Wait wait =
            RunBounded([session, call = std::move(call), result] { *result = call(*session); },
                       bound, responsive);
        if (wait == Wait::TimedOut && aborted_) {
            EndOffice();
            return lo::Outcome{lo::Outcome::Kind::Lost, StoppedReason()};
        }
        if (wait == Wait::TimedOut) {
            EndOffice();
            return lo::Outcome{
                lo::Outcome::Kind::Lost,
                QCoreApplication::translate("Conversion",
                                            "took longer than %1; the word processor was ended")
                    .arg(BoundText(bound))};
        }
        if (result->kind == lo::Outcome::Kind::Lost ||
            (result->kind == lo::Outcome::Kind::Failed && !OfficeAlive())) {
            EndOffice();
            return lo::Outcome{lo::Outcome::Kind::Lost, EndedReason()};
        }
        return *result;
    }

    bool OfficeAlive()
    {
        return session_ && !session_->Lost() && office_.IsRunning() && !office_.WaitForExit(1ms);
    }

    // Ends whatever runs of the office, reaps it and forgets its connection and document.
    void EndOffice()
    {
        if (office_.ProcessGroup() != 0) {
            KillFollowers(office_.ProcessGroup());
            office_.WaitForExit(kLeaderBound);
            office_.End();
        }
        session_.reset();
        document_.clear();
        if (!pipe_.isEmpty() && slot_) {
            // A killed office leaves its pipes behind.
            for (const QString &name : {pipe_, ProfilePipe(slot_->Url())})
                QFile::remove(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(name));
            pipe_.clear();
        }
    }

    bool LaunchOnce(QString *reason)
    {
        if (!slot_->Prepare(reason))
            return false;
        pipe_ = QStringLiteral("quirefold_%1_%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(++pipe_counter);
        const QStringList arguments{
            QStringLiteral("TMPDIR=") + slot_->TempFolder(),
            LibreOfficeFile(QStringLiteral("soffice")),
            QStringLiteral("--headless"),
            QStringLiteral("--invisible"),
            QStringLiteral("--norestore"),
            QStringLiteral("--nologo"),
            QStringLiteral("--nolockcheck"),
            QStringLiteral("--nodefault"),
            QStringLiteral("-env:UserInstallation=") + slot_->Url(),
            QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe_),
        };
        QString why;
        // Through env, so the office's temporary files stay in its profile.
        if (!office_.Start(QStringLiteral("env"), arguments, ChildProcess::Channels::Discard, &why,
                           slot_->LockFd())) {
            *reason =
                QCoreApplication::translate("Conversion", "LibreOffice could not be started: %1")
                    .arg(why);
            EndOffice();
            return false;
        }
        session_ = std::make_shared<lo::UnoSession>();
        const auto deadline = Clock::now() + kStartBound;
        for (;;) {
            auto session = session_;
            auto attempt = std::make_shared<std::pair<lo::UnoSession::Connect, QString>>(
                lo::UnoSession::Connect::Failed, QString());
            const QString pipe = pipe_;
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
            const Wait wait =
                RunBounded([session, attempt,
                            pipe] { attempt->first = session->TryConnect(pipe, &attempt->second); },
                           std::max(left, 1ms), true);
            if (wait == Wait::Finished && attempt->first == lo::UnoSession::Connect::Connected)
                return true;
            if (wait == Wait::Finished && attempt->first == lo::UnoSession::Connect::Failed) {
                *reason = QCoreApplication::translate("Conversion",
                                                      "LibreOffice could not be reached: %1")
                              .arg(attempt->second);
                break;
            }
            if (wait == Wait::TimedOut || Clock::now() >= deadline) {
                *reason = QCoreApplication::translate("Conversion",
                                                      "LibreOffice did not answer within %1")
                              .arg(BoundText(kStartBound));
                break;
            }
            if (!office_.IsRunning() || office_.WaitForExit(1ms)) {
                *reason =
                    office_.Crashed()
                        ? QCoreApplication::translate("Conversion",
                                                      "LibreOffice crashed while starting")
                        : QCoreApplication::translate(
                              "Conversion", "LibreOffice stopped while starting (exit code %1)")
                              .arg(office_.ExitCode());
                break;
            }
            for (auto pause = Clock::now() + kConnectRetry; Clock::now() < pause;) {
                WhileWaiting();
                std::this_thread::sleep_for(kPoll);
            }
        }
        EndOffice();
        return false;
    }

    void Shutdown(bool responsive)
    {
        if (quit_)
            return;
        quit_ = true;
        if (OfficeAlive() && session_->HasDocument())
            Call([](lo::UnoSession &s) { return s.Close(); }, kEndBound, responsive);
        if (OfficeAlive()) {
            auto session = session_;
            auto accepted = std::make_shared<bool>(false);
            if (RunBounded([session, accepted] { *accepted = session->Terminate(); }, kEndBound,
                           responsive) == Wait::Finished &&
                *accepted) {
                std::function<void()> keep;
                if (responsive)
                    keep = [this] { WhileWaiting(); };
                office_.WaitForExit(kEndBound, keep);
            }
        }
        EndOffice();
        slot_.reset();
    }

    LibreOfficeOptions options_;
    std::unique_ptr<lo::ProfileSlot> slot_;
    ChildProcess office_;
    std::shared_ptr<lo::UnoSession> session_;
    QString pipe_;
    QString document_;
    bool quit_ = false;
    std::atomic<bool> aborted_{false}; // set from the job's thread
};

} // namespace

Status CheckLibreOffice()
{
    if (!QFileInfo(LibreOfficeFile(QStringLiteral("soffice"))).isExecutable())
        return Status::Failed(
            QString(),
            QCoreApplication::translate("Conversion", "LibreOffice (soffice) was not found: %1")
                .arg(LibreOfficeInstallHint()));
    if (!QFileInfo::exists(LibreOfficeFile(QStringLiteral("libswlo.so"))))
        return Status::Failed(QString(), QCoreApplication::translate(
                                             "Conversion", "LibreOffice Writer was not found: %1")
                                             .arg(LibreOfficeInstallHint()));
    return Status::Ok();
}

std::unique_ptr<WordProcessor> StartLibreOffice(const LibreOfficeOptions &options, Status &status)
{
    status = CheckLibreOffice();
    if (!status)
        return nullptr;
    QString why;
    if (!lo::PrepareUno(&why)) {
        status = Status::Failed(QString(), why);
        return nullptr;
    }
    QString root = options.profileRoot;
    if (root.isEmpty()) {
        const QString cache =
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        root = (cache.isEmpty() ? QDir::tempPath() : cache) + QStringLiteral("/quirefold/office");
    }
    std::unique_ptr<lo::ProfileSlot> slot = lo::ProfileSlot::Take(root, &why);
    if (!slot) {
        status = Status::Failed(QString(), why);
        return nullptr;
    }
    auto writer = std::make_unique<LibreOfficeWriter>(options, std::move(slot));
    if (!writer->Launch(&why)) {
        status = Status::Failed(QString(), why);
        return nullptr;
    }
    status = Status::Ok();
    return writer;
}

WordProcessorStarter LibreOfficeStarter(const LibreOfficeOptions &options)
{
    // Each office has a profile of its own and runs in its own process.
    return {CheckLibreOffice,
            [options](Status &status) { return StartLibreOffice(options, status); }, 4};
}

} // namespace qf
