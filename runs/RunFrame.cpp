#include "runs/RunFrame.h"

#include "runs/FolderState.h"
#include "store/FolderChoices.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

#include <utility>

namespace qf {

QString TimeText(const QTime &time)
{
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(zone);
    return QLocale::system().toString(time, format.trimmed());
}

RunFrame::RunFrame(const RunContext &ctx, ProgressBar &bar) : ctx_(ctx), bar_(bar)
{
    bar_.SetBarColor(kBarGreen);
    start_ = QTime::currentTime();
}

void RunFrame::StoreChoices()
{
    problems_.merge(StoreRunChoices(ctx_.ws, SelectionOf(ctx_.window)));
}

void RunFrame::Stopped(const QString &what)
{
    stopped_ = what;
}

void RunFrame::Finish(const QString &heading, const QString &outcome, std::function<void()> ended)
{
    ctx_.window.StatusLine().SetText(QCoreApplication::translate("Runs", "Start Time: \t") +
                                     TimeText(start_));
    ctx_.window.FileLine().SetText(
        QCoreApplication::translate("Runs", "Done Time: \t") + TimeText(QTime::currentTime()) +
        (outcome.isEmpty() ? QString() : QStringLiteral(" \u2014 ") + outcome));
    bar_.SetBarColor(kBarRed);
    // The window goes on meanwhile; its controls stay off until the run has ended.
    ctx_.sound.Play([this, heading, ended = std::move(ended)]() mutable {
        QString told;
        for (const QString &what : std::as_const(told_))
            told += QStringLiteral("\n\n") + what;
        if (!stopped_.isEmpty())
            ctx_.window.Messages().Open(problems_.report(stopped_) + told, kProgramTitle,
                                        MessageBox::Icon::Information, std::move(ended));
        else if (!problems_.empty())
            ctx_.window.Messages().Open(problems_.report(heading) + told, kProgramTitle,
                                        MessageBox::Icon::Warning, std::move(ended));
        else if (!told.isEmpty())
            ctx_.window.Messages().Open(told.mid(2), kProgramTitle, MessageBox::Icon::Information,
                                        std::move(ended));
        else
            ended();
    });
}

} // namespace qf
