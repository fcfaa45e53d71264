#include "batch/Console.h"

#include "batch/StopSignals.h"

#include <QIODevice>

namespace qf {

Console::Console(bool errorIsTerminal) : out_(stdout), err_(stderr), terminal_(errorIsTerminal)
{
    discarded_.setString(&discardedText_, QIODevice::WriteOnly);
}

void Console::KeepOutputForReport()
{
    results_ = quiet_ ? &discarded_ : &err_;
}

void Console::WriteReport(const QByteArray &report)
{
    err_.flush();
    out_ << QString::fromUtf8(report);
    if (!report.endsWith('\n'))
        out_ << '\n'; // one document per line
    out_ << Qt::flush;
    discardedText_.clear();
}

void Console::Progress(const QString &job, int done, int total, const QString &file)
{
    if (quiet_)
        return;
    if (!terminal_) {
        err_ << job << QStringLiteral(" (%1/%2): ").arg(done).arg(total) << file << Qt::endl;
        return;
    }
    constexpr int kWidth = 30;
    const int filled = total > 0 ? kWidth * (done - 1) / total : 0;
    err_ << QStringLiteral("\r\033[K%1 [%2%3] %4/%5 %6")
                .arg(job, QString(filled, QLatin1Char('#')),
                     QString(kWidth - filled, QLatin1Char(' ')))
                .arg(done)
                .arg(total)
                .arg(file)
         << Qt::flush;
    barShown_ = true;
}

void Console::EndProgress()
{
    if (barShown_)
        err_ << Qt::endl;
    barShown_ = false;
}

void Console::Error(const QString &text)
{
    EndProgress();
    err_ << QStringLiteral("quirefold-batch: ") << text << Qt::endl;
}

void Console::Note(const QString &text)
{
    if (!quiet_)
        Error(text);
}

bool ConsoleObserver::Stopped()
{
    return StopSignal() != 0;
}

void ConsoleObserver::At(const QString &file, int step)
{
    if (step >= 0)
        console_.Progress(job_, step + 1, total_, file);
}

void ConsoleObserver::Tell(const Notice &notice)
{
    const QString text = notice.caption == kProgramTitle
                             ? notice.text
                             : notice.caption + QStringLiteral(": ") + notice.text;
    if (notice.icon == Notice::Icon::Warning || notice.icon == Notice::Icon::Critical)
        console_.Error(text);
    else
        console_.Note(text);
}

} // namespace qf
