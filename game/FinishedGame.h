#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One stop of a finished game: the letter the reel stood on, the time from the stop being on
// screen to its right key, and the wrong keys judged at it.
struct StopResult {
    char letter = 'A';
    std::int64_t reactionUs = 0;
    int wrongKeys = 0;

    bool operator==(const StopResult&) const = default;
};

// A game played to its tenth right key, as the game counted it.
struct FinishedGame {
    // Wall-clock moment of the last right key (milliseconds since 1970, UTC) and the local
    // offset from UTC then, so the export can write the time the player saw.
    std::int64_t finishedAtMs = 0;
    int utcOffsetMinutes = 0;
    std::int64_t score = 0;
    int misses = 0;
    std::vector<StopResult> stops;

    bool operator==(const FinishedGame&) const = default;
};
