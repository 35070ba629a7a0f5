#include "results/ChartLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kTickLength = 4;
constexpr double kGap = 3;

} // namespace

double ChartLayout::xAt(double value) const
{
    const double span = xHigh - xLow;
    return span > 0 ? plot.left + plot.width * (value - xLow) / span : plot.left + plot.width / 2;
}

double ChartLayout::yAt(double value) const
{
    const double span = yHigh - yLow;
    return span > 0 ? plot.bottom() - plot.height * (value - yLow) / span : plot.bottom();
}

void ChartLayout::addLabel(const TextMetrics& metrics, const std::string& text, double centreX, double centreY,
                           int kind)
{
    const double width = metrics.width(text);
    labels.push_back({{centreX - width / 2, centreY - metrics.lineHeight / 2, width, metrics.lineHeight}, kind, text});
}

double ChartLayout::addLegend(const TextMetrics& metrics, const std::vector<std::pair<std::string, int>>& entries,
                              double left, double top, double width)
{
    if (entries.empty())
        return 0;
    const double h = metrics.lineHeight;
    const double swatch = h * 0.8;
    double x = left;
    double y = top;
    for (const auto& [text, kind] : entries) {
        const double entryWidth = swatch + kGap + metrics.width(text);
        if (x > left && x + entryWidth > left + width) {
            x = left;
            y += h + kGap;
        }
        swatches.push_back({{x, y + (h - swatch) / 2, swatch, swatch}, kind, {}});
        labels.push_back({{x + swatch + kGap, y, metrics.width(text), h}, kind, text});
        x += entryWidth + 3 * kGap;
    }
    return y + h - top;
}

void ChartLayout::addYAxis(const TextMetrics& metrics, const std::vector<double>& ticks)
{
    lines.push_back({{plot.left - 0.5, plot.top, 1, plot.height}, 0, {}});
    for (double value : ticks) {
        const double y = yAt(value);
        lines.push_back({{plot.left - kTickLength, y - 0.5, kTickLength, 1}, 0, {}});
        const std::string text = wholeNumber(value);
        const double width = metrics.width(text);
        labels.push_back({{plot.left - kTickLength - kGap - width, y - metrics.lineHeight / 2, width, metrics.lineHeight},
                          0, text});
    }
}

void ChartLayout::addXAxis(const TextMetrics& metrics, const std::vector<double>& ticks)
{
    lines.push_back({{plot.left, plot.bottom() - 0.5, plot.width, 1}, 0, {}});
    for (double value : ticks) {
        const double x = xAt(value);
        lines.push_back({{x - 0.5, plot.bottom(), 1, kTickLength}, 0, {}});
        // Below the lowest y label, which is centred on the bottom edge.
        addLabel(metrics, wholeNumber(value), x, plot.bottom() + metrics.lineHeight + 2);
    }
}

RoundTicks roundTicks(double low, double high, int mostTicks, double leastStep, bool extend)
{
    RoundTicks result;
    if (!std::isfinite(low) || !std::isfinite(high))
        low = high = 0;
    if (high < low)
        std::swap(low, high);
    mostTicks = std::max(mostTicks, 2);
    if (extend && high <= low)
        high = low + std::max(leastStep, 1.0);
    const double span = std::max(high - low, std::max(leastStep, 1e-9));
    double magnitude = std::pow(10.0, std::floor(std::log10(span / (mostTicks - 1))));
    double step = magnitude;
    for (int tries = 0; tries < 64; ++tries) {
        for (double mantissa : {1.0, 2.0, 5.0}) {
            step = mantissa * magnitude;
            if (step < leastStep)
                continue;
            const double first = extend ? std::floor(low / step) * step : std::ceil(low / step) * step;
            const double last = extend ? std::ceil(high / step) * step : std::floor(high / step) * step;
            const double count = std::round((last - first) / step) + 1;
            if (count <= mostTicks && (!extend || last > first)) {
                result.step = step;
                result.low = extend ? first : low;
                result.high = extend ? last : high;
                for (int i = 0; i < static_cast<int>(count); ++i)
                    result.values.push_back(first + step * i);
                return result;
            }
        }
        magnitude *= 10;
    }
    result.low = low;
    result.high = high;
    result.step = span;
    return result;
}

std::string wholeNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", std::clamp(value, -1e15, 1e15));
    return text;
}

RoundTicks ChartLayout::placeValueAxis(const TextMetrics& metrics, const std::string& unit, ChartBox area,
                                       double legendHeight, double high)
{
    const double h = metrics.lineHeight;
    const double unitTop = area.top + legendHeight + 4;
    addLabel(metrics, unit, area.left + metrics.width(unit) / 2, unitTop + h / 2);
    const double top = unitTop + 1.5 * h + 4;
    const double bottom = area.bottom() - 2.5 * h - 6;
    const RoundTicks y =
        roundTicks(0, std::max(high, 1.0), std::max(2, static_cast<int>((bottom - top) / (1.8 * h)) + 1), 1, true);
    double column = 0;
    for (double value : y.values)
        column = std::max(column, metrics.width(wholeNumber(value)));
    plot = {area.left + column + 8, top, 0, std::max(1.0, bottom - top)};
    return y;
}
