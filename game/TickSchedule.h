#pragma once

#include <cstdint>

// Keeps the reel's ticks on an ideal timeline: each tick is due its work plus the tick delay
// after the previous one was due. Timers wake a little late; arming each tick against the
// timeline instead of "delay from now" keeps that error from adding up.
class TickSchedule {
public:
    // The reel starts moving: the next tick is due at once.
    void restart(std::int64_t nowUs);
    // A tick that began at `startUs` has done its work; returns the microseconds to wait for the
    // next one, due `delayMs` later.
    std::int64_t microsecondsToNext(std::int64_t startUs, std::int64_t nowUs, int delayMs);

private:
    // A tick this late has missed its slot (a modal window, a busy machine): start afresh.
    static constexpr std::int64_t kMaxLatenessUs = 2000;

    std::int64_t dueUs_ = 0;
};
