#pragma once

#include "game/FinishedGame.h"
#include "game/GameHistory.h"
#include "game/GameState.h"

#include <cstdint>

// Counts one game stop by stop for the history: each stop's first right key and the wrong keys
// judged at it. It changes nothing the player sees; the score stays the labels' own.
class GameTally {
public:
    void recordInto(GameHistory* history) { history_ = history; }

    void start();
    // `stop` is the stop the key was judged at, 1-10; keys judged before the first stop count
    // at the first.
    void wrongKey(int stop);
    void rightKey(int stop, char letter, std::int64_t reactionUs);
    // The tenth right key: hands the whole game to the history, once.
    void finish(std::int64_t score, int misses);

private:
    static constexpr int kStops = GameState::kStopsPerGame;
    static int indexOf(int stop);

    GameHistory* history_ = nullptr;
    FinishedGame game_;
    bool reacted_[kStops] = {};
};
