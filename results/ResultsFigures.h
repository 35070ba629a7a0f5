#pragma once

#include "results/HistorySummary.h"
#include "results/Statistics.h"

#include <array>
#include <vector>

// Everything the results window shows, worked out from a summary of the history. Made off the
// window's thread: with ten thousand games it sorts a hundred thousand reactions.
struct ResultsFigures {
    static constexpr int kLeastReactionsPerLetter = 3;

    HistorySummary summary;

    // The last game's ten reactions, in ms.
    double latestMeanMs = 0;
    double latestMedianMs = 0;
    double latestFastestMs = 0;
    double latestSlowestMs = 0;
    double latestSpreadMs = 0;

    std::vector<double> runningMean;  // of ten games, one per game
    std::size_t bestGame = 0;         // index of the lowest score (the first of equals)

    std::array<Statistics::LetterSummary, 26> letters{};
    std::vector<Statistics::LetterSummary> slowest;  // up to three, slowest first

    Statistics::Histogram histogram;
    double medianMs = 0;
    double tenthPercentileMs = 0;
    double ninetiethPercentileMs = 0;
};

ResultsFigures computeResultsFigures(HistorySummary summary);
