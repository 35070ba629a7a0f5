#pragma once

#include <cstdint>
#include <limits>
#include <string>

// The program-wide game variables, all zero, false or empty at start and never saved.
// The running numbers of a game (stops left, score, misses) live in the main window's labels.
struct GameState {
    // lngStart of a stop whose picture the display server has yet to stamp: every key is earlier.
    static constexpr std::int64_t kNotShownYet = std::numeric_limits<std::int64_t>::max();
    // A game ends with the right key at this stop.
    static constexpr int kStopsPerGame = 10;

    std::int16_t intReelX = 0;     // strip column shown at the reel window's left edge
    std::int16_t intWait = 0;      // reel tick delay in ms; 0 only before the first game
    bool bolEnd = false;           // the game is over
    bool bolStop = false;          // the reel stands on strTarget, waiting for the right key
    std::string strTarget;         // letter of the last stop
    std::int16_t intCount = 0;     // stops so far in this game
    std::int64_t lngStart = 0;     // moment the last stop was on screen, monotonic microseconds
    // The stop before the last one: a key pressed before the last stop was shown belongs to it.
    std::string strPreviousTarget;
    std::int64_t lngPreviousStart = 0;
    std::int64_t lngEnd = 0;       // moment of the last right key, monotonic microseconds
    std::int64_t lngTime = 0;      // last reaction time, ms
    bool bolKeyOK = false;         // keys are judged (a game is running)
    std::string strBestScore;      // best score as text, as read from the record
    std::int16_t intKaitenWait = 0;  // reel ticks until the rotation sound restarts

    bool reelRunning() const { return !bolEnd && !bolStop && intWait != 0; }
};
