#include "results/ReactionHistogram.h"

#include <QPainter>

#include <algorithm>

ReactionHistogram::ReactionHistogram(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(400, 220);
}

void ReactionHistogram::setHistogram(Statistics::Histogram histogram, double medianMs, double tenthMs,
                                     double ninetiethMs)
{
    histogram_ = std::move(histogram);
    medianMs_ = medianMs;
    tenthMs_ = tenthMs;
    ninetiethMs_ = ninetiethMs;
    update();
}

void ReactionHistogram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (histogram_.counts.empty())
        return;
    const QFontMetrics metrics(font());
    // The three marks' names on rows of their own, so that close marks stay readable.
    const QRect plot = rect().adjusted(10, 3 * metrics.height() + 4, -10, -metrics.height() - 6);
    const int tallest = std::max(1, *std::max_element(histogram_.counts.begin(), histogram_.counts.end()));
    const double bins = static_cast<double>(histogram_.counts.size());
    const double binWidth = static_cast<double>(plot.width()) / bins;
    const double spanMs = bins * histogram_.binWidthMs;
    const auto xOf = [&](double ms) {
        return plot.left() + (ms - histogram_.firstBinStartMs) / spanMs * plot.width();
    };
    for (std::size_t i = 0; i < histogram_.counts.size(); ++i) {
        const double height = static_cast<double>(plot.height()) * histogram_.counts[i] / tallest;
        painter.fillRect(QRectF(plot.left() + binWidth * static_cast<double>(i), plot.bottom() - height,
                                std::max(1.0, binWidth - (binWidth > 3 ? 1 : 0)), height),
                         QColor(0x3a, 0x6e, 0xa5));
    }
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.setPen(Qt::black);
    const QString last = QStringLiteral("%1 ms%2").arg(histogram_.firstBinStartMs + spanMs, 0, 'f', 0)
                             .arg(histogram_.lastBinOpen ? QStringLiteral("〜") : QString());
    painter.drawText(QRect(plot.left(), plot.bottom() + 3, plot.width(), metrics.height()), Qt::AlignLeft,
                     QStringLiteral("%1 ms").arg(histogram_.firstBinStartMs, 0, 'f', 0));
    painter.drawText(QRect(plot.left(), plot.bottom() + 3, plot.width(), metrics.height()), Qt::AlignRight, last);
    const struct {
        double ms;
        QString name;
        QColor colour;
    } marks[] = {{tenthMs_, QStringLiteral("10%"), QColor(0x20, 0x90, 0x40)},
                 {medianMs_, QStringLiteral("中央値"), QColor(0xc0, 0x20, 0x20)},
                 {ninetiethMs_, QStringLiteral("90%"), QColor(0xe0, 0x80, 0x10)}};
    for (int row = 0; row < 3; ++row) {
        const auto& mark = marks[row];
        const double x = std::clamp(xOf(mark.ms), static_cast<double>(plot.left()), static_cast<double>(plot.right()));
        painter.setPen(QPen(mark.colour, 2, Qt::DashLine));
        painter.drawLine(QPointF(x, (row + 1) * metrics.height()), QPointF(x, plot.bottom()));
        painter.drawText(QRectF(x - 40, row * metrics.height(), 80, metrics.height()), Qt::AlignCenter, mark.name);
    }
}
