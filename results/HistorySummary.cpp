#include "results/HistorySummary.h"

#include <numeric>

int HistorySummary::leftOutGames() const
{
    return std::accumulate(leftOut.begin(), leftOut.end(), 0);
}

void HistorySummary::add(const FinishedGame& game)
{
    if (const auto fault = GameCheck::faultOf(game)) {
        ++leftOut[static_cast<std::size_t>(*fault)];
        return;
    }
    if (scores.empty()) {
        firstFinishedAtMs = game.finishedAtMs;
        firstUtcOffsetMinutes = game.utcOffsetMinutes;
    }
    scores.push_back(static_cast<double>(game.score));
    for (const StopResult& stop : game.stops)
        reactions.push_back({stop.letter, static_cast<double>(stop.reactionUs) / 1000.0});
    latest = game;
}
