#pragma once

#include <chrono>
#include <functional>

namespace qf {

// The sound that ends a run.
class CompletionSound {
public:
    virtual ~CompletionSound() = default;
    // Starts the sound and returns; ended is called on the application's thread once it has
    // played to its end.
    virtual void Play(std::function<void()> ended) = 0;
};

// For where no sound belongs: the batch command, tests.
class NoSound : public CompletionSound {
public:
    void Play(std::function<void()> ended) override { ended(); }
};

// The desktop's "complete" sound event through libcanberra. Without a sound device or theme
// nothing plays and nothing fails; a sound that does not end is given up after the bound.
class DesktopCompletionSound : public CompletionSound {
public:
    explicit DesktopCompletionSound(std::chrono::milliseconds bound = std::chrono::seconds(10))
        : bound_(bound)
    {}
    void Play(std::function<void()> ended) override;

private:
    std::chrono::milliseconds bound_;
};

} // namespace qf
