#pragma once

#include "game/FinishedGame.h"
#include "results/GameCheck.h"
#include "results/Statistics.h"

#include <optional>
#include <string>
#include <vector>

// What the results window draws from: every game's score in order, every reaction with its
// letter, and the last game in full; the games of the history that broke a rule and were left
// out, by rule; and why the history could not be read, when it could not.
struct HistorySummary {
    std::vector<double> scores;
    std::int64_t firstFinishedAtMs = 0;
    int firstUtcOffsetMinutes = 0;
    std::vector<Statistics::LetterReaction> reactions;
    std::optional<FinishedGame> latest;
    GameCheck::FaultCounts leftOut{};
    std::string readProblem;

    bool empty() const { return scores.empty(); }
    int leftOutGames() const;
    // Adds a game that is newer than everything already in the summary, or counts it as left
    // out when it breaks a rule.
    void add(const FinishedGame& game);
};
