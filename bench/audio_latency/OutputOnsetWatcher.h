#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

class SdlAudioSystem;

// Hooks the mixed output and notes when sound first appears in it after being armed: the time
// the mixing pass ran, plus how far into that pass the first non-zero sample lies.
class OutputOnsetWatcher {
public:
    using Clock = std::chrono::steady_clock;

    explicit OutputOnsetWatcher(SdlAudioSystem& audio);
    ~OutputOnsetWatcher();
    OutputOnsetWatcher(const OutputOnsetWatcher&) = delete;
    OutputOnsetWatcher& operator=(const OutputOnsetWatcher&) = delete;

    void arm();
    // The moment the sound starts in the output, or nothing if it does not come in time.
    std::optional<Clock::time_point> waitForOnset(std::chrono::milliseconds timeout);
    // Waits until `passes` further mixing passes have run and all of them were silent.
    bool waitForSilentPasses(int passes, std::chrono::milliseconds timeout);
    // Mean time between mixing passes so far.
    double meanPassMilliseconds() const;

private:
    static void onMix(void* self, std::uint8_t* stream, int bytes);
    void record(const std::int16_t* samples, int count);

    SdlAudioSystem& audio_;
    const int frequency_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    std::optional<Clock::time_point> onset_;
    int silentRun_ = 0;
    std::uint64_t passes_ = 0;
    Clock::time_point firstPass_;
    Clock::time_point lastPass_;
};
