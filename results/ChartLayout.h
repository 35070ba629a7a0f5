#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

// A chart worked out as rectangles before anything is drawn, so that where its texts, lines and
// bars fall can be checked without a screen, and the painter only draws what it is given.
struct ChartBox {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
    // Boxes that only touch do not overlap.
    bool overlaps(const ChartBox& other) const
    {
        return left < other.right() && other.left < right() && top < other.bottom() && other.top < bottom();
    }
    bool contains(const ChartBox& other) const
    {
        return other.left >= left && other.top >= top && other.right() <= right() && other.bottom() <= bottom();
    }
};

struct ChartItem {
    ChartBox box;
    int kind = 0;      // which colour: each chart numbers its own
    std::string text;  // labels only, drawn centred in their box
};

// How wide a text is and how high a line of it, in the units the chart is laid out in.
struct TextMetrics {
    std::function<double(const std::string&)> width;
    double lineHeight = 14;
};

struct RoundTicks;

struct ChartLayout {
    ChartBox plot;
    double xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;  // the values at the plot's edges
    std::vector<ChartItem> labels;    // each box as large as its text
    std::vector<ChartItem> lines;     // axes, ticks and marks, as thin boxes
    std::vector<ChartItem> swatches;  // the samples beside the legend's texts
    std::vector<ChartItem> bars;

    double xAt(double value) const;
    double yAt(double value) const;

    // Building blocks the charts share. A label of `text` whose box is centred on (x, y).
    void addLabel(const TextMetrics& metrics, const std::string& text, double centreX, double centreY, int kind = 0);
    // Legend entries in rows across `width` from (left, top), each a swatch and its text;
    // returns the height they take.
    double addLegend(const TextMetrics& metrics, const std::vector<std::pair<std::string, int>>& entries, double left,
                     double top, double width);
    // Under a legend `legendHeight` tall: the value axis's `unit`, then a plot as tall as the
    // area leaves (room for the x axis below) and right of the widest tick label; returns round
    // ticks from 0 to `high`, as many as fit. The plot's width is left to the chart.
    RoundTicks placeValueAxis(const TextMetrics& metrics, const std::string& unit, ChartBox area, double legendHeight,
                              double high);
    // The y axis at the plot's left edge with a tick and a label at each value.
    void addYAxis(const TextMetrics& metrics, const std::vector<double>& ticks);
    // The x axis at the plot's bottom edge with a tick and a label under it at each value; the
    // labels end 1.5 lines and 2 units below the plot.
    void addXAxis(const TextMetrics& metrics, const std::vector<double>& ticks);
};

// Round ticks in [low, high]: steps of 1, 2 or 5 times a power of ten, at least `leastStep`, as
// few as keep them at most `mostTicks`. With `extend` the range grows to the ticks around it.
struct RoundTicks {
    double low = 0;
    double high = 1;
    double step = 1;
    std::vector<double> values;
};
RoundTicks roundTicks(double low, double high, int mostTicks, double leastStep, bool extend);

// A whole number of milliseconds, as the charts write it.
std::string wholeNumber(double value);
