#pragma once

#include "game/FinishedGame.h"
#include "results/ChartLayout.h"

// The last game as bars over a y axis in ms, with three rows under them that read like a table:
// each stop's letter, its reaction in ms and its wrong keys. The tenth bar and its texts are
// muted, for its time is not in the score.
namespace LatestGameLayout {

enum Kind { Counted = 0, Tenth = 1, WrongKeys = 2 };

ChartLayout layout(const FinishedGame& game, ChartBox area, const TextMetrics& metrics);

} // namespace LatestGameLayout
