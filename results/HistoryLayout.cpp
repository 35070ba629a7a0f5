#include "results/HistoryLayout.h"

#include <algorithm>

namespace HistoryLayout {

ChartLayout layout(const std::vector<double>& scores, std::size_t bestGame, ChartBox area, const TextMetrics& metrics)
{
    ChartLayout chart;
    if (scores.empty())
        return chart;
    const double h = metrics.lineHeight;
    const std::size_t games = scores.size();
    bestGame = std::min(bestGame, games - 1);
    const double legendHeight = chart.addLegend(
        metrics,
        {{"スコア", Score},
         {"直近 10 ゲームの平均", Mean},
         {"最高 " + wholeNumber(scores[bestGame]) + " ms（" + std::to_string(bestGame + 1) + " ゲーム目）", Best}},
        area.left, area.top, area.width);
    const std::string unit = "スコア (ms)";
    const std::string title = "何ゲーム目か";
    const RoundTicks y =
        chart.placeValueAxis(metrics, unit, area, legendHeight, *std::max_element(scores.begin(), scores.end()));
    // The last game's dot stands on the right edge; its number is centred under it.
    const double lastWidth = metrics.width(wholeNumber(static_cast<double>(games)));
    chart.plot.width = std::max(1.0, area.right() - chart.plot.left - lastWidth / 2 - 2);
    chart.yLow = y.low;
    chart.yHigh = y.high;
    chart.xLow = 1;
    chart.xHigh = static_cast<double>(games);
    chart.addYAxis(metrics, y.values);
    const int mostX = std::max(2, static_cast<int>(chart.plot.width / (lastWidth + 2 * h)) + 1);
    const RoundTicks x = roundTicks(1, static_cast<double>(games), mostX, 1, false);
    chart.addXAxis(metrics, games == 1 ? std::vector<double>{1} : x.values);
    chart.addLabel(metrics, title, chart.plot.left + chart.plot.width / 2, area.bottom() - h / 2);
    return chart;
}

} // namespace HistoryLayout
