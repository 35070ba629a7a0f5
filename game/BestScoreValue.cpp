#include "game/BestScoreValue.h"

#include <limits>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::variant<std::int32_t, BestScoreProblem> parseBestScore(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return BestScoreProblem::Empty;

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty())
        return BestScoreProblem::NotANumber;
    for (const char c : whole)
        if (!isDigit(c))
            return BestScoreProblem::NotANumber;
    for (const char c : fraction)
        if (!isDigit(c))
            return BestScoreProblem::NotANumber;

    // Accumulate the magnitude in 64 bits and stop as soon as it can no longer fit in 32, so
    // any number of digits is handled without overflow.
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (const char c : whole) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return BestScoreProblem::OutOfRange;
    }

    // Rounding works on the digits themselves, so 0.5 and 2147483647.5 are exact halves.
    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool beyondHalf = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        const bool roundUp = first > '5' || (first == '5' && (beyondHalf || magnitude % 2 == 1));
        if (roundUp)
            ++magnitude;
    }

    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return BestScoreProblem::OutOfRange;
    if (value < 0)
        return BestScoreProblem::Negative;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> bestScoreValue(std::string_view text)
{
    const auto parsed = parseBestScore(text);
    if (const auto* value = std::get_if<std::int32_t>(&parsed))
        return *value;
    return std::nullopt;
}
