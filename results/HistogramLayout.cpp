#include "results/HistogramLayout.h"

#include <algorithm>

namespace HistogramLayout {

ChartLayout layout(const Statistics::Histogram& histogram, double tenthMs, double medianMs, double ninetiethMs,
                   ChartBox area, const TextMetrics& metrics)
{
    ChartLayout chart;
    if (histogram.counts.empty())
        return chart;
    const double h = metrics.lineHeight;
    const double legendHeight =
        chart.addLegend(metrics,
                        {{"10%: " + wholeNumber(tenthMs) + " ms", Tenth},
                         {"中央値: " + wholeNumber(medianMs) + " ms", Median},
                         {"90%: " + wholeNumber(ninetiethMs) + " ms", Ninetieth}},
                        area.left, area.top, area.width);
    const std::string unit = "反応の数";
    const std::string title = "反応時間 (ms、10 ms ごと)";
    const RoundTicks y = chart.placeValueAxis(metrics, unit, area, legendHeight,
                                              *std::max_element(histogram.counts.begin(), histogram.counts.end()));
    const double first = histogram.firstBinStartMs;
    const double last = first + static_cast<double>(histogram.counts.size()) * histogram.binWidthMs;
    const double lastWidth = metrics.width(wholeNumber(last));
    chart.plot.width = std::max(1.0, area.right() - chart.plot.left - lastWidth / 2 - 2);
    chart.xLow = first;
    chart.xHigh = last;
    chart.yLow = y.low;
    chart.yHigh = y.high;
    chart.addYAxis(metrics, y.values);
    const int mostX = std::max(2, static_cast<int>(chart.plot.width / (lastWidth + 2 * h)) + 1);
    chart.addXAxis(metrics, roundTicks(first, last, mostX, histogram.binWidthMs, false).values);
    chart.addLabel(metrics, title, chart.plot.left + chart.plot.width / 2, area.bottom() - h / 2);

    const double binWidth = chart.plot.width / static_cast<double>(histogram.counts.size());
    for (std::size_t i = 0; i < histogram.counts.size(); ++i) {
        const double height = chart.plot.bottom() - chart.yAt(histogram.counts[i]);
        chart.bars.push_back({{chart.plot.left + binWidth * static_cast<double>(i), chart.plot.bottom() - height,
                               std::max(1.0, binWidth - (binWidth > 3 ? 1 : 0)), height},
                              Bin,
                              {}});
    }
    for (const auto& [ms, kind] : {std::pair{tenthMs, Tenth}, {medianMs, Median}, {ninetiethMs, Ninetieth}}) {
        const double x = std::clamp(chart.xAt(ms), chart.plot.left, chart.plot.right());
        chart.lines.push_back({{x - 1, chart.plot.top, 2, chart.plot.height}, kind, {}});
    }
    return chart;
}

} // namespace HistogramLayout
