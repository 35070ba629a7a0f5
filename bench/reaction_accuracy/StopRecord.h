#pragma once

#include <algorithm>
#include <cstdint>

// One stop as the benchmark saw it. Times are CLOCK_MONOTONIC microseconds, the clock whose
// milliseconds the X server stamps on its events, so both ends of an interval share one clock.
struct StopRecord {
    int game = 0;
    int stop = 0;                // 1 to 10
    int offset = -1;             // strip offset learnt from the stopped picture
    int wrongPixels = 0;         // pixels that did not match the mask at that offset
    std::int64_t stopServerUs = 0;  // the server's millisecond on the stop picture's damage event
    std::int64_t stopSeenUs = 0;    // that event arrived here: the picture was there by then
    std::int64_t keySentUs = 0;     // the key request left here
    std::int64_t keyAnsweredUs = 0; // the server's answer to the request after it arrived here
    std::uint32_t keyServerMs = 0;  // the server's millisecond on the key event
    std::int64_t wakeLateUs = 0;    // how late this process woke for the key: its own wake-up time
    int reportedMs = -1;         // what the game added to the score; -1 at the tenth stop
    bool miss = false;           // the game counted a miss: the stop is not timed
    int reelPaintsAtStop = 0;    // reel paints within 2 ms before the stop was confirmed

    // Proven ranges: the stop picture reached the framebuffer, and the server took the key.
    std::int64_t stopEarliest() const { return stopServerUs; }
    std::int64_t stopLatest() const { return std::min(stopServerUs + 1000, stopSeenUs); }
    std::int64_t keyEarliest() const { return std::max(keySentUs, serverUs(keyServerMs, keyAnsweredUs)); }
    std::int64_t keyLatest() const { return std::min(keyAnsweredUs, serverUs(keyServerMs, keyAnsweredUs) + 1000); }

    // Both ends were learnt the same way: the server handled the request, sent its events and
    // this process woke up. Taking off the wake-up leaves the moment the server handled it.
    double trueIntervalMs(double wakeUpUs) const
    {
        const auto within = [](double t, std::int64_t lo, std::int64_t hi) {
            return std::clamp(t, static_cast<double>(lo), static_cast<double>(hi));
        };
        return (within(keyAnsweredUs - wakeUpUs, keyEarliest(), keyLatest())
                - within(stopSeenUs - wakeUpUs, stopEarliest(), stopLatest())) / 1000.0;
    }
    // Half the width of the range in which the true interval is proven to lie.
    double floorMs() const
    {
        return ((keyLatest() - keyEarliest()) + (stopLatest() - stopEarliest())) / 2000.0;
    }
    // The server's 32-bit millisecond `ms`, unwrapped near `nearUs`, in microseconds.
    static std::int64_t serverUs(std::uint32_t ms, std::int64_t nearUs)
    {
        const std::int64_t nearMs = nearUs / 1000;
        const auto behind = static_cast<std::uint32_t>(static_cast<std::uint32_t>(nearMs) - ms);
        return (nearMs - static_cast<std::int64_t>(behind)) * 1000;
    }
};
