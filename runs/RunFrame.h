#pragma once

#include "core/Status.h"
#include "runs/RunContext.h"

#include <QTime>

namespace qf {

// The framing both runs share.
class RunFrame {
public:
    // Turns the bar green and takes the start time.
    RunFrame(const RunContext &ctx, ProgressBar &bar);
    const RunContext &context() const { return ctx_; }

    // Clears what killed runs left in the folder, then stores the settings and both ignore lists,
    // before the run touches anything else.
    void StoreChoices();

    // What went wrong so far; shown once when the run ends.
    Problems &problems() { return problems_; }
    // The user stopped the run: what says so leads the end message.
    void Stopped(const QString &what);
    // What the end message says after the problems, or alone when there are none: what the run
    // did that the user should read whole.
    void Tell(const QString &what) { told_.append(what); }

    // Writes the start and end times, the end time followed by outcome when there is one, turns
    // the bar red, plays the sound to its end, then shows the problems, if any, in one message
    // headed by heading, with what it was told; ended is called once the message is closed, or once
    // the sound has ended when there is none. The frame must live until then.
    void Finish(const QString &heading, const QString &outcome, std::function<void()> ended);

private:
    RunContext ctx_;
    ProgressBar &bar_;
    QTime start_;
    Problems problems_;
    QString stopped_;
    QStringList told_;
};

// A time of day in the system's long time format, without a time zone.
QString TimeText(const QTime &time);

} // namespace qf
