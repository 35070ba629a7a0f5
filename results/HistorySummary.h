#pragma once

#include "game/FinishedGame.h"
#include "results/Statistics.h"

#include <optional>
#include <vector>

// What the results window draws from: every game's score in order, every reaction with its
// letter, and the last game in full.
struct HistorySummary {
    std::vector<double> scores;
    std::int64_t firstFinishedAtMs = 0;
    int firstUtcOffsetMinutes = 0;
    std::vector<Statistics::LetterReaction> reactions;
    std::optional<FinishedGame> latest;

    bool empty() const { return scores.empty(); }
    // Adds a game that is newer than everything already in the summary.
    void add(const FinishedGame& game);
};
