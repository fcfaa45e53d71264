#pragma once

#include <chrono>
#include <functional>

namespace qf {

// The sound that ends a run, played to its end before the run returns.
class CompletionSound {
public:
    virtual ~CompletionSound() = default;
    // keepResponsive is called now and then while the sound plays.
    virtual void PlayToEnd(const std::function<void()> &keepResponsive) = 0;
};

// For where no sound belongs: the batch command, tests.
class NoSound : public CompletionSound {
public:
    void PlayToEnd(const std::function<void()> &) override {}
};

// The desktop's "complete" sound event through libcanberra. Without a sound device or theme
// nothing plays and nothing fails; a sound that does not end is given up after the bound.
class DesktopCompletionSound : public CompletionSound {
public:
    explicit DesktopCompletionSound(std::chrono::milliseconds bound = std::chrono::seconds(10))
        : bound_(bound)
    {}
    void PlayToEnd(const std::function<void()> &keepResponsive) override;

private:
    std::chrono::milliseconds bound_;
};

} // namespace qf
