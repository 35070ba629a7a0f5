#pragma once

#include "results/ChartLayout.h"

#include <vector>

// Every game's score over the game's number: a legend on top, the score axis in ms on the left,
// the games under the plot. The best score is named in the legend, so no text stands in the plot.
namespace HistoryLayout {

enum Kind { Score = 0, Mean = 1, Best = 2 };

ChartLayout layout(const std::vector<double>& scores, std::size_t bestGame, ChartBox area, const TextMetrics& metrics);

} // namespace HistoryLayout
