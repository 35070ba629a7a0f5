#pragma once

#include "game/FinishedGame.h"

#include <array>
#include <cstdint>
#include <optional>

// What a game read back from the history must be for the figures to use it. The history may
// have been written by anything, so each rule guards a figure against nonsense: a mean of
// negative or NULL reactions, a chart of a million stops, a date no clock said.
namespace GameCheck {

enum class Fault { StopCount, Letter, Reaction, Date, Value };
constexpr std::size_t kFaults = 5;
using FaultCounts = std::array<int, kFaults>;

constexpr std::int64_t kLongestReactionUs = 3'600'000'000;  // an hour
constexpr std::size_t kStops = 10;

// The first rule the game breaks, in the order of Fault, or nullopt when it keeps them all:
// exactly ten stops, each letter A to Z, each reaction within 0 to an hour, a date isoTimestamp
// can write, and a score, misses and wrong keys that are not negative.
std::optional<Fault> faultOf(const FinishedGame& game);

} // namespace GameCheck
