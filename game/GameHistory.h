#pragma once

#include "game/FinishedGame.h"

// Where the game hands each finished game, once, before the end-of-game windows open.
// finishedAtMs and utcOffsetMinutes are left at 0 by the game: the history stamps them.
class GameHistory {
public:
    virtual ~GameHistory() = default;
    virtual void recordFinishedGame(const FinishedGame& game) = 0;
};
