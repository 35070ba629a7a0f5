#pragma once

#include "results/HistorySummary.h"
#include "results/Statistics.h"

#include <array>
#include <optional>
#include <vector>

// Everything the results window shows, worked out from a summary of the history. Made off the
// window's thread: with ten thousand games it sorts a hundred thousand reactions.
struct ResultsFigures {
    static constexpr int kLeastReactionsPerLetter = 3;
    // Ten stops a game over 26 letters: after this many games most letters have come up
    // `kLeastReactionsPerLetter` times.
    static constexpr int kGamesForMostLetters = (kLeastReactionsPerLetter * 26 + 9) / 10;

    HistorySummary summary;

    // The last game's ten reactions, in ms.
    double latestMeanMs = 0;
    double latestMedianMs = 0;
    double latestFastestMs = 0;
    double latestSlowestMs = 0;
    double latestSpreadMs = 0;
    // The last game's score against the game before it and the best of all games before it;
    // empty for the first game.
    std::optional<double> versusPreviousMs;
    std::optional<double> versusBestMs;
    bool newBest = false;

    std::vector<double> runningMean;  // of ten games, one per game
    std::size_t bestGame = 0;         // index of the lowest score (the first of equals)

    std::array<Statistics::LetterSummary, 26> letters{};
    // Slower than the median of all reactions, seen often enough: up to three, slowest first.
    std::vector<Statistics::LetterSummary> slowest;
    // The keys' colour scale: the median of all reactions plus or minus this many ms.
    double keyScaleMs = 0;
    int gamesStillNeeded = 0;  // until most letters have been seen often enough

    Statistics::Histogram histogram;
    double medianMs = 0;  // of all reactions, and so the letters' usual
    double tenthPercentileMs = 0;
    double ninetiethPercentileMs = 0;
};

ResultsFigures computeResultsFigures(HistorySummary summary);
