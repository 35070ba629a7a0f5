#include "results/HistorySummary.h"

void HistorySummary::add(const FinishedGame& game)
{
    if (scores.empty()) {
        firstFinishedAtMs = game.finishedAtMs;
        firstUtcOffsetMinutes = game.utcOffsetMinutes;
    }
    scores.push_back(static_cast<double>(game.score));
    for (const StopResult& stop : game.stops)
        reactions.push_back({stop.letter, static_cast<double>(stop.reactionUs) / 1000.0});
    latest = game;
}
