#include "results/ResultsFigures.h"

#include <algorithm>

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
    figures.runningMean = Statistics::runningMeanOfTen(summary.scores);
    if (!summary.scores.empty())
        figures.bestGame = static_cast<std::size_t>(
            std::min_element(summary.scores.begin(), summary.scores.end()) - summary.scores.begin());

    figures.letters = Statistics::letterMedians(summary.reactions);
    figures.slowest = Statistics::slowestLetters(figures.letters, 3, ResultsFigures::kLeastReactionsPerLetter);

    std::vector<double> all;
    all.reserve(summary.reactions.size());
    for (const Statistics::LetterReaction& reaction : summary.reactions)
        all.push_back(reaction.reactionMs);
    figures.histogram = Statistics::histogram(all, 10);
    figures.medianMs = Statistics::median(all);
    figures.tenthPercentileMs = Statistics::percentile(all, 0.1);
    figures.ninetiethPercentileMs = Statistics::percentile(std::move(all), 0.9);
    figures.summary = std::move(summary);
    return figures;
}
