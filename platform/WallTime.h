#pragma once

#include <cstdint>

// A moment on the wall clock: milliseconds since 1970 (UTC) and the local offset from UTC then.
struct WallTime {
    std::int64_t sinceEpochMs = 0;
    int utcOffsetMinutes = 0;

    // This machine's clock and time zone, now.
    static WallTime now();
};
