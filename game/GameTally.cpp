#include "game/GameTally.h"

#include <algorithm>

void GameTally::start()
{
    game_ = FinishedGame{};
    game_.stops.assign(kStops, StopResult{});
    std::fill(std::begin(reacted_), std::end(reacted_), false);
}

int GameTally::indexOf(int stop)
{
    return std::clamp(stop, 1, kStops) - 1;
}

void GameTally::wrongKey(int stop)
{
    if (game_.stops.empty())
        return;
    ++game_.stops[static_cast<std::size_t>(indexOf(stop))].wrongKeys;
}

void GameTally::rightKey(int stop, char letter, std::int64_t reactionUs)
{
    if (game_.stops.empty())
        return;
    const int index = indexOf(stop);
    // A second press of the same letter while the reel runs on adds to the score again, but the
    // reaction to the stop was the first one.
    if (reacted_[index])
        return;
    reacted_[index] = true;
    StopResult& result = game_.stops[static_cast<std::size_t>(index)];
    result.letter = letter;
    result.reactionUs = std::max<std::int64_t>(0, reactionUs);
}

void GameTally::finish(std::int64_t score, int misses)
{
    if (game_.stops.empty())
        return;
    game_.score = score;
    game_.misses = misses;
    if (history_)
        history_->recordFinishedGame(game_);
    game_.stops.clear();
}
