#pragma once

#include "results/ChartLayout.h"
#include "results/Statistics.h"

// All reactions in their bins over a reaction axis in ms, counts on the left; the 10th
// percentile, the median and the 90th percentile as lines in the plot, named in the legend.
namespace HistogramLayout {

enum Kind { Bin = 0, Tenth = 1, Median = 2, Ninetieth = 3 };

ChartLayout layout(const Statistics::Histogram& histogram, double tenthMs, double medianMs, double ninetiethMs,
                   ChartBox area, const TextMetrics& metrics);

} // namespace HistogramLayout
