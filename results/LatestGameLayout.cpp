#include "results/LatestGameLayout.h"

#include <algorithm>
#include <cmath>

namespace LatestGameLayout {

ChartLayout layout(const FinishedGame& game, ChartBox area, const TextMetrics& metrics)
{
    ChartLayout chart;
    const double h = metrics.lineHeight;
    const std::size_t count = game.stops.size();
    if (count == 0)
        return chart;
    std::vector<double> ms;
    double slowest = 1;
    for (const StopResult& stop : game.stops) {
        ms.push_back(std::max(0.0, static_cast<double>(stop.reactionUs) / 1000.0));
        slowest = std::max(slowest, ms.back());
    }

    // The left column holds the y labels and the captions of the three rows; its width needs
    // the ticks, and the ticks the plot's height, which does not depend on it.
    const std::string unit = "反応 (ms)";
    const std::string captions[] = {"文字", "ms", "誤キー"};
    // The unit stands above the y labels, clear of the highest, which is centred on the top.
    const double top = area.top + 1.5 * h + 6;
    const auto columnFor = [&](const RoundTicks& ticks) {
        double width = 0;
        for (double value : ticks.values)
            width = std::max(width, metrics.width(wholeNumber(value)));
        for (const std::string& caption : captions)
            width = std::max(width, metrics.width(caption));
        return width + 8;
    };
    // Values that do not fit their slot alternate between two rows, each then wider than a slot.
    const auto valueText = [&](double value, double room) {
        std::string text = wholeNumber(value);
        if (metrics.width(text) > room)
            text = wholeNumber(value / 1000) + "s";
        if (metrics.width(text) > room)
            text = "…";
        return text;
    };
    int valueRows = 1;
    RoundTicks ticks;
    double left = area.left;
    double plotBottom = area.bottom();
    for (;;) {
        plotBottom = area.bottom() - (2 + valueRows) * (h + 1) - h / 2 - 4;
        const int mostTicks = std::max(2, static_cast<int>((plotBottom - top) / (1.8 * h)) + 1);
        ticks = roundTicks(0, slowest, mostTicks, 1, true);
        left = area.left + columnFor(ticks);
        const double slot = (area.right() - 4 - left) / static_cast<double>(count);
        const bool wide = std::any_of(ms.begin(), ms.end(),
                                      [&](double value) { return metrics.width(wholeNumber(value)) > slot - 2; });
        if (!wide || valueRows == 2)
            break;
        valueRows = 2;
    }
    chart.plot = {left, top, area.right() - 4 - left, std::max(1.0, plotBottom - top)};
    chart.xLow = 0;
    chart.xHigh = static_cast<double>(count);
    chart.yLow = ticks.low;
    chart.yHigh = ticks.high;
    chart.addYAxis(metrics, ticks.values);
    chart.lines.push_back({{chart.plot.left, chart.plot.bottom() - 0.5, chart.plot.width, 1}, 0, {}});
    chart.addLabel(metrics, unit, area.left + metrics.width(unit) / 2, area.top + h / 2);

    const double slot = chart.plot.width / static_cast<double>(count);
    // Below the y axis's 0, which is centred on the bottom edge.
    const double rowTop = chart.plot.bottom() + h / 2 + 2;
    const auto rowCentre = [&](int row) { return rowTop + row * (h + 1) + h / 2; };
    const double captionRight = chart.plot.left - 6;
    const int captionRows[] = {0, 1, 1 + valueRows};
    for (int i = 0; i < 3; ++i) {
        const double width = metrics.width(captions[i]);
        chart.labels.push_back({{captionRight - width, rowCentre(captionRows[i]) - h / 2, width, h}, 0, captions[i]});
    }
    for (std::size_t i = 0; i < count; ++i) {
        const StopResult& stop = game.stops[i];
        const int kind = i + 1 == count && count == 10 ? Tenth : Counted;
        const double centre = chart.plot.left + slot * (static_cast<double>(i) + 0.5);
        const double barHeight = chart.plot.height * ms[i] / (ticks.high - ticks.low);
        chart.bars.push_back({{centre - slot * 0.35, chart.plot.bottom() - barHeight, slot * 0.7, barHeight}, kind, {}});
        chart.addLabel(metrics, std::string(1, stop.letter >= 'A' && stop.letter <= 'Z' ? stop.letter : '?'), centre,
                       rowCentre(0), kind);
        const int valueRow = valueRows == 2 ? 1 + static_cast<int>(i % 2) : 1;
        // Two slots less what the first and the last give up to stay over the plot.
        chart.addLabel(metrics, valueText(ms[i], valueRows == 2 ? 1.6 * slot - 2 : slot - 2), centre,
                       rowCentre(valueRow), kind);
        ChartBox& value = chart.labels.back().box;
        value.left = std::clamp(value.left, chart.plot.left, std::max(chart.plot.left, area.right() - value.width));
        if (stop.wrongKeys > 0) {
            const std::string text = wholeNumber(stop.wrongKeys);
            chart.addLabel(metrics, metrics.width(text) > slot - 2 ? "…" : text, centre, rowCentre(1 + valueRows),
                           WrongKeys);
        }
    }
    return chart;
}

} // namespace LatestGameLayout
