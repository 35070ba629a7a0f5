#pragma once

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

// Records the system's default capture source (point it at a sink's monitor, e.g.
// PULSE_SOURCE=null.monitor) and notes when sound first arrives there after being armed: the
// whole way from a Play through the mixer, SDL's audio thread and the sound server. The figure
// includes the capture path's own delay, the same for every run, so compare runs, not totals.
class CapturedOnsetWatcher {
public:
    using Clock = std::chrono::steady_clock;

    explicit CapturedOnsetWatcher(int frequency);
    ~CapturedOnsetWatcher();
    CapturedOnsetWatcher(const CapturedOnsetWatcher&) = delete;
    CapturedOnsetWatcher& operator=(const CapturedOnsetWatcher&) = delete;

    bool isOpen() const { return device_ != 0; }
    void arm();
    std::optional<Clock::time_point> waitForOnset(std::chrono::milliseconds timeout);
    // Waits until the capture has heard `duration` of silence in a row.
    bool waitForSilence(std::chrono::milliseconds duration, std::chrono::milliseconds timeout);

private:
    static void onCapture(void* self, Uint8* stream, int bytes);
    void record(const std::int16_t* samples, int count);

    const int frequency_;
    SDL_AudioDeviceID device_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    std::optional<Clock::time_point> onset_;
    long silentFrames_ = 0;
};
