#include "runs/CompletionSound.h"

#include <QCoreApplication>

#include <canberra.h>

#include <atomic>
#include <thread>

namespace qf {
namespace {

void OnFinished(ca_context *, uint32_t, int, void *userdata)
{
    static_cast<std::atomic<bool> *>(userdata)->store(true);
}

} // namespace

void DesktopCompletionSound::PlayToEnd(const std::function<void()> &keepResponsive)
{
    ca_context *context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS)
        return;
    std::atomic<bool> finished{false};
    ca_proplist *props = nullptr;
    ca_proplist_create(&props);
    ca_proplist_sets(props, CA_PROP_EVENT_ID, "complete");
    ca_proplist_sets(
        props, CA_PROP_EVENT_DESCRIPTION,
        QCoreApplication::translate("Runs", "Quirefold run finished").toUtf8().constData());
    const bool playing =
        ca_context_play_full(context, 1, props, OnFinished, &finished) == CA_SUCCESS;
    ca_proplist_destroy(props);
    const auto deadline = std::chrono::steady_clock::now() + bound_;
    while (playing && !finished && std::chrono::steady_clock::now() < deadline) {
        keepResponsive();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ca_context_destroy(context); // stops a sound still playing after the bound
}

} // namespace qf
