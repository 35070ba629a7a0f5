#include "results/ResultsFigures.h"

#include <algorithm>
#include <cmath>

ResultsFigures computeResultsFigures(HistorySummary summary)
{
    ResultsFigures figures;
    if (summary.latest) {
        std::vector<double> reactions;
        for (const StopResult& stop : summary.latest->stops)
            reactions.push_back(static_cast<double>(stop.reactionUs) / 1000.0);
        if (!reactions.empty()) {
            figures.latestMeanMs = Statistics::mean(reactions);
            figures.latestMedianMs = Statistics::median(reactions);
            figures.latestFastestMs = *std::min_element(reactions.begin(), reactions.end());
            figures.latestSlowestMs = *std::max_element(reactions.begin(), reactions.end());
            figures.latestSpreadMs = Statistics::standardDeviation(reactions);
        }
    }
    const std::size_t games = summary.scores.size();
    if (games >= 2) {
        const double latest = summary.scores.back();
        const double best = *std::min_element(summary.scores.begin(), summary.scores.end() - 1);
        figures.versusPreviousMs = latest - summary.scores[games - 2];
        figures.versusBestMs = latest - best;
        figures.newBest = latest < best;
    }
    figures.gamesStillNeeded =
        std::max(0, ResultsFigures::kGamesForMostLetters - static_cast<int>(std::min<std::size_t>(games, 1000)));
    figures.runningMean = Statistics::runningMeanOfTen(summary.scores);
    if (!summary.scores.empty())
        figures.bestGame = static_cast<std::size_t>(
            std::min_element(summary.scores.begin(), summary.scores.end()) - summary.scores.begin());

    std::vector<double> all;
    all.reserve(summary.reactions.size());
    for (const Statistics::LetterReaction& reaction : summary.reactions)
        all.push_back(reaction.reactionMs);
    figures.histogram = Statistics::histogram(all, 10);
    figures.medianMs = Statistics::median(all);

    figures.letters = Statistics::letterMedians(summary.reactions);
    figures.slowest = Statistics::slowestLetters(figures.letters, 3, ResultsFigures::kLeastReactionsPerLetter,
                                                 figures.medianMs);
    double farthest = 0;
    for (const Statistics::LetterSummary& letter : figures.letters)
        if (letter.count >= ResultsFigures::kLeastReactionsPerLetter)
            farthest = std::max(farthest, std::abs(letter.medianMs - figures.medianMs));
    // In steps of 50 ms, so that the scale's ends are round and the colours not washed out.
    figures.keyScaleMs = std::max(50.0, std::ceil(farthest / 50) * 50);
    figures.tenthPercentileMs = Statistics::percentile(all, 0.1);
    figures.ninetiethPercentileMs = Statistics::percentile(std::move(all), 0.9);
    figures.summary = std::move(summary);
    return figures;
}
