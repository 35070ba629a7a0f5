#pragma once

#include "results/ChartLayout.h"

#include <QColor>
#include <QFont>
#include <QRectF>

#include <functional>

class QPainter;
class QWidget;

// Draws what a ChartLayout worked out, in a widget's font.
namespace ChartPainter {

TextMetrics metricsOf(const QFont& font);
ChartBox areaOf(const QWidget& widget);
QRectF rectOf(const ChartBox& box);
void drawLabels(QPainter& painter, const ChartLayout& chart, const std::function<QColor(int kind)>& colourOf);
// Axes and ticks (kind 0) in grey, other lines as `colourOf` says.
void drawLines(QPainter& painter, const ChartLayout& chart, const std::function<QColor(int kind)>& colourOf);

} // namespace ChartPainter
