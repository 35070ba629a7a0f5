#pragma once

#include "platform/MidiRenderer.h"
#include "tests/platform/PositionCode.h"

#include <condition_variable>
#include <mutex>

// Stands in for the synthesizer: a rendering holds until the test opens the gate (or the device
// cancels it) and then yields position-coded sound, so a test decides when "rendering" ends.
class GatedMidiRenderer final : public MidiRenderer {
public:
    explicit GatedMidiRenderer(long frames = 44100)
        : frames_(frames)
    {
    }

    Result render(const std::string&, int, std::stop_token stop) const override
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, stop, [this] { return open_; });
        if (stop.stop_requested()) {
            ++cancelled_;
            return {};
        }
        return {PositionCode::frames(frames_), {}};
    }

    void open()
    {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    int cancelled() const
    {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }

private:
    const long frames_;
    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    mutable int cancelled_ = 0;
    bool open_ = false;
};
