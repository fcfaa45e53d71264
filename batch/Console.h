#pragma once

#include "core/JobObserver.h"

#include <QTextStream>

namespace qf {

// Where the batch command reports: progress and messages on standard error, results on
// standard output.
class Console {
public:
    explicit Console(bool errorIsTerminal);
    // Results for people and scripts: standard output, unless a report takes its place there.
    QTextStream &out() { return *results_; }
    // Results go to standard error with the messages, or nowhere when quiet, and standard
    // output is left for WriteReport.
    void KeepOutputForReport();
    void WriteReport(const QByteArray &report);
    // Progress: a bar with the current file on a terminal, otherwise one line per file.
    void Progress(const QString &job, int done, int total, const QString &file);
    void EndProgress();
    // Problems: always said.
    void Error(const QString &text);
    // What is good to know but asks for nothing: not said when quiet.
    void Note(const QString &text);
    void SetQuiet(bool quiet) { quiet_ = quiet; }

private:
    QTextStream out_;
    QTextStream err_;
    QString discardedText_;
    QTextStream discarded_;
    QTextStream *results_ = &out_;
    bool terminal_;
    bool barShown_ = false;
    bool quiet_ = false;
};

// A job's progress on the console: one step per file it works on; what the window would show in
// a message goes to standard error.
class ConsoleObserver : public JobObserver {
public:
    ConsoleObserver(Console &console, const QString &job) : console_(console), job_(job) {}
    ~ConsoleObserver() override { console_.EndProgress(); }

    void Doing(const QString &) override {}
    void At(const QString &file, int step) override;
    void Progress(int, int total) override { total_ = total; }
    void Tell(const Notice &notice) override;
    bool StopRequested() override { return Stopped(); }
    // Whether SIGINT or SIGTERM asked the run to stop.
    static bool Stopped();

private:
    Console &console_;
    QString job_;
    int total_ = 0;
};

} // namespace qf
