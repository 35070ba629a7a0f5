#include "results/Statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Statistics {

double mean(const std::vector<double>& values)
{
    if (values.empty())
        return 0;
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double standardDeviation(const std::vector<double>& values)
{
    if (values.empty())
        return 0;
    const double average = mean(values);
    double sumOfSquares = 0;
    for (double value : values)
        sumOfSquares += (value - average) * (value - average);
    return std::sqrt(sumOfSquares / static_cast<double>(values.size()));
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double rank = fraction * static_cast<double>(values.size() - 1);
    const auto lower = static_cast<std::size_t>(std::floor(rank));
    const double weight = rank - static_cast<double>(lower);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(lower), values.end());
    const double low = values[lower];
    if (weight == 0 || lower + 1 >= values.size())
        return low;
    const double high = *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(lower) + 1, values.end());
    return low + weight * (high - low);
}

double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

std::vector<double> runningMeanOfTen(const std::vector<double>& scores)
{
    std::vector<double> means;
    means.reserve(scores.size());
    double windowSum = 0;
    for (std::size_t i = 0; i < scores.size(); ++i) {
        windowSum += scores[i];
        if (i >= 10)
            windowSum -= scores[i - 10];
        means.push_back(windowSum / static_cast<double>(std::min<std::size_t>(i + 1, 10)));
    }
    return means;
}

Histogram histogram(const std::vector<double>& valuesMs, int binWidthMs, int maximumBins)
{
    Histogram result;
    result.binWidthMs = binWidthMs;
    std::vector<double> values;
    values.reserve(valuesMs.size());
    for (double value : valuesMs)
        if (std::isfinite(value))
            values.push_back(value);
    if (values.empty() || binWidthMs <= 0)
        return result;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    // In doubles: bin numbers of values far apart would overflow any integer.
    const double firstBin = std::floor(*low / binWidthMs);
    result.firstBinStartMs = firstBin * binWidthMs;
    const double span = std::floor(*high / binWidthMs) - firstBin + 1;
    const auto bins = static_cast<std::size_t>(std::max(1, span > maximumBins ? maximumBins : static_cast<int>(span)));
    result.lastBinOpen = span > maximumBins;
    result.counts.assign(bins, 0);
    for (double value : values) {
        const double bin = std::floor(value / binWidthMs) - firstBin;
        ++result.counts[bin >= static_cast<double>(bins) ? bins - 1 : static_cast<std::size_t>(bin)];
    }
    return result;
}

std::array<LetterSummary, 26> letterMedians(const std::vector<LetterReaction>& reactions)
{
    std::array<std::vector<double>, 26> byLetter;
    for (const LetterReaction& reaction : reactions)
        if (reaction.letter >= 'A' && reaction.letter <= 'Z')
            byLetter[static_cast<std::size_t>(reaction.letter - 'A')].push_back(reaction.reactionMs);
    std::array<LetterSummary, 26> result;
    for (std::size_t i = 0; i < 26; ++i) {
        result[i].letter = static_cast<char>('A' + i);
        result[i].count = static_cast<int>(byLetter[i].size());
        result[i].medianMs = median(std::move(byLetter[i]));
    }
    return result;
}

std::vector<LetterSummary> slowestLetters(const std::array<LetterSummary, 26>& letters, int howMany,
                                          int minimumCount, double usualMs)
{
    std::vector<LetterSummary> seen;
    for (const LetterSummary& letter : letters)
        if (letter.count >= minimumCount && letter.count > 0 && letter.medianMs > usualMs)
            seen.push_back(letter);
    std::stable_sort(seen.begin(), seen.end(),
                     [](const LetterSummary& a, const LetterSummary& b) { return a.medianMs > b.medianMs; });
    if (seen.size() > static_cast<std::size_t>(std::max(howMany, 0)))
        seen.resize(static_cast<std::size_t>(howMany));
    return seen;
}

double tone(double ms, double usualMs, double scaleMs)
{
    if (!(scaleMs > 0))
        return 0;
    return std::clamp((ms - usualMs) / scaleMs, -1.0, 1.0);
}

} // namespace Statistics
