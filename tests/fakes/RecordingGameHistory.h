#pragma once

#include "game/GameHistory.h"

#include <functional>
#include <vector>

// Keeps every game handed to it, and tells `onRecord` (to order it among other events).
class RecordingGameHistory final : public GameHistory {
public:
    void recordFinishedGame(const FinishedGame& game) override
    {
        games.push_back(game);
        if (onRecord)
            onRecord();
    }

    std::vector<FinishedGame> games;
    std::function<void()> onRecord;
};
