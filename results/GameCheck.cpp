#include "results/GameCheck.h"

#include "results/HistoryCsv.h"

#include <algorithm>

namespace GameCheck {

std::optional<Fault> faultOf(const FinishedGame& game)
{
    if (game.stops.size() != kStops)
        return Fault::StopCount;
    const auto& stops = game.stops;
    if (!std::all_of(stops.begin(), stops.end(), [](const StopResult& s) { return s.letter >= 'A' && s.letter <= 'Z'; }))
        return Fault::Letter;
    if (!std::all_of(stops.begin(), stops.end(),
                     [](const StopResult& s) { return s.reactionUs >= 0 && s.reactionUs <= kLongestReactionUs; }))
        return Fault::Reaction;
    if (!isoTimestamp(game.finishedAtMs, game.utcOffsetMinutes))
        return Fault::Date;
    if (game.score < 0 || game.misses < 0
        || !std::all_of(stops.begin(), stops.end(), [](const StopResult& s) { return s.wrongKeys >= 0; }))
        return Fault::Value;
    return std::nullopt;
}

} // namespace GameCheck
