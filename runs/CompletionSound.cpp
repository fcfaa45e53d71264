#include "runs/CompletionSound.h"

#include <QCoreApplication>
#include <QTimer>

#include <canberra.h>

#include <atomic>
#include <memory>

namespace qf {
namespace {

void OnFinished(ca_context *, uint32_t, int, void *userdata)
{
    static_cast<std::atomic<bool> *>(userdata)->store(true);
}

} // namespace

void DesktopCompletionSound::Play(std::function<void()> ended)
{
    ca_context *context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS)
        return ended();
    // Set from libcanberra's thread; kept until the context is gone.
    auto finished = std::make_shared<std::atomic<bool>>(false);
    ca_proplist *props = nullptr;
    ca_proplist_create(&props);
    ca_proplist_sets(props, CA_PROP_EVENT_ID, "complete");
    ca_proplist_sets(
        props, CA_PROP_EVENT_DESCRIPTION,
        QCoreApplication::translate("Runs", "Quirefold run finished").toUtf8().constData());
    const bool playing =
        ca_context_play_full(context, 1, props, OnFinished, finished.get()) == CA_SUCCESS;
    ca_proplist_destroy(props);
    if (!playing) {
        ca_context_destroy(context);
        return ended();
    }
    // Looked at now and then from the application's events, which go on meanwhile.
    const auto deadline = std::chrono::steady_clock::now() + bound_;
    auto *poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        if (!*finished && std::chrono::steady_clock::now() < deadline)
            return;
        poll->stop();
        poll->deleteLater();
        ca_context_destroy(context); // stops a sound still playing after the bound
        ended();
    });
    poll->start(20);
}

} // namespace qf
