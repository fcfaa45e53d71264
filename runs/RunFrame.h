#pragma once

#include "core/Status.h"
#include "runs/RunContext.h"

#include <QTime>

namespace qf {

// The framing both runs share.
class RunFrame {
public:
    // Turns the bar green and takes the start time.
    RunFrame(RunContext &ctx, ProgressBar &bar);

    // Clears what killed runs left in the folder, then stores the settings and both ignore lists,
    // before the run touches anything else.
    void StoreChoices();

    // What went wrong so far; shown once when the run ends.
    Problems &problems() { return problems_; }
    // The user stopped the run: what says so leads the end message.
    void Stopped(const QString &what);

    // Writes the start and end times, the end time followed by outcome when there is one, turns
    // the bar red, plays the sound to its end, then shows the problems, if any, in one message
    // headed by heading.
    void Finish(const QString &heading, const QString &outcome = QString());

private:
    RunContext &ctx_;
    ProgressBar &bar_;
    QTime start_;
    Problems problems_;
    QString stopped_;
};

// A time of day in the system's long time format, without a time zone.
QString TimeText(const QTime &time);

} // namespace qf
