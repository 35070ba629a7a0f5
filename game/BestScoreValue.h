#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

enum class BestScoreProblem { Empty, NotANumber, OutOfRange, Negative };

// Reads a stored best score: optional blanks, an optional sign, decimal digits with an optional
// fractional part, optional blanks. The fraction is rounded to the nearest integer, a half to
// the even neighbour (1234.5 -> 1234, 1235.5 -> 1236). The result must fit in 32 bits.
// A score is a sum of reaction times and penalties, so a negative one can only come from a damaged
// record; since lower is better, accepting it would make the record unbeatable.
std::variant<std::int32_t, BestScoreProblem> parseBestScore(std::string_view text);

std::optional<std::int32_t> bestScoreValue(std::string_view text);
