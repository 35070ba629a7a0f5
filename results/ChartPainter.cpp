#include "results/ChartPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace ChartPainter {

TextMetrics metricsOf(const QFont& font)
{
    const QFontMetricsF metrics(font);
    // The advance can be narrower than the ink of the last glyph; the box must hold both.
    return {[metrics](const std::string& text) {
                const QString string = QString::fromStdString(text);
                return std::max(metrics.horizontalAdvance(string), metrics.boundingRect(string).width()) + 1;
            },
            metrics.height()};
}

ChartBox areaOf(const QWidget& widget)
{
    return {4, 4, std::max(1.0, widget.width() - 8.0), std::max(1.0, widget.height() - 8.0)};
}

QRectF rectOf(const ChartBox& box)
{
    return {box.left, box.top, box.width, box.height};
}

void drawLabels(QPainter& painter, const ChartLayout& chart, const std::function<QColor(int kind)>& colourOf)
{
    for (const ChartItem& label : chart.labels) {
        painter.setPen(colourOf(label.kind));
        painter.drawText(rectOf(label.box), Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(label.text));
    }
}

void drawLines(QPainter& painter, const ChartLayout& chart, const std::function<QColor(int kind)>& colourOf)
{
    for (const ChartItem& line : chart.lines)
        painter.fillRect(rectOf(line.box), line.kind == 0 ? QColor(0x70, 0x70, 0x70) : colourOf(line.kind));
}

} // namespace ChartPainter
