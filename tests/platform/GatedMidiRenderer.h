#pragma once

#include "platform/MidiRenderer.h"
#include "tests/platform/PositionCode.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

// Stands in for the synthesizer: it delivers the first `framesBeforeGate` frames of
// position-coded sound at once, then holds until the test opens the gate (or the device cancels
// it) and delivers the rest, or fails there. So a test decides when "rendering" ends.
class GatedMidiRenderer final : public MidiRenderer {
public:
    explicit GatedMidiRenderer(long frames = 44100, long framesBeforeGate = 0)
        : frames_(frames)
        , framesBeforeGate_(std::min(frames, framesBeforeGate))
    {
    }

    Streamed stream(const std::string&, int, std::stop_token stop, Sink& sink) const override
    {
        const std::vector<std::int16_t> sound = PositionCode::frames(frames_);
        const std::span<std::int16_t> room = sink.reserve(sound.size());
        const std::size_t early = 2 * static_cast<std::size_t>(framesBeforeGate_);
        std::copy(sound.begin(), sound.begin() + static_cast<long>(early), room.begin());
        if (early > 0)
            sink.rendered(early);
        std::unique_lock lock(mutex_);
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, stop, [this] { return open_; });
        if (stop.stop_requested()) {
            ++cancelled_;
            return {};
        }
        if (failing_)
            return {0, "the synthesizer failed midway"};
        std::copy(sound.begin() + static_cast<long>(early), sound.end(), room.begin() + static_cast<long>(early));
        sink.rendered(sound.size());
        return {sound.size(), {}};
    }

    void open() { release(false); }
    void fail() { release(true); }

    // Returns once a rendering has delivered its first frames and waits at the gate.
    void waitUntilHeld() const
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return held_; });
    }

    int cancelled() const
    {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }

private:
    void release(bool failing)
    {
        const std::lock_guard lock(mutex_);
        open_ = true;
        failing_ = failing;
        changed_.notify_all();
    }

    const long frames_;
    const long framesBeforeGate_;
    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    mutable int cancelled_ = 0;
    mutable bool held_ = false;
    bool open_ = false;
    bool failing_ = false;
};
