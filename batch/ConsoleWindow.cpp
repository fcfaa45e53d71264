#include "batch/ConsoleWindow.h"

#include <cstdio>

namespace qf {
namespace {

// Status lines a job shows while it works through its files, as opposed to collecting names.
bool IsWorkingStatus(const QString &status)
{
    return status == QLatin1String("Printing to Postscript File...") ||
           status == QLatin1String("Compiling PDF files...");
}

} // namespace

Console::Console(bool errorIsTerminal) : out_(stdout), err_(stderr), terminal_(errorIsTerminal) {}

void Console::Progress(const QString &job, int done, int total, const QString &file)
{
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

ConsoleWindow::ConsoleWindow(Console &console)
    : console_(console), text2_(*this), messages_(console)
{}

void ConsoleWindow::SetJob(const QString &name, ProgressBar *bar)
{
    console_.EndProgress();
    job_ = name;
    bar_ = bar;
}

void ConsoleWindow::FileLine::Refresh()
{
    MemoryTextBox::Refresh();
    ConsoleWindow &w = window_;
    if (w.bar_ && IsWorkingStatus(w.text1.Text()))
        w.console_.Progress(w.job_, w.bar_->Value() + 1, w.bar_->Max(), Text());
}

void ConsoleWindow::ErrorMessages::Show(const QString &text, const QString &caption, Icon)
{
    ++shown;
    console_.Error(caption == kProgramTitle ? text : caption + QStringLiteral(": ") + text);
}

} // namespace qf
