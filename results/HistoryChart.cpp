#include "results/HistoryChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(400, 240);
}

void HistoryChart::setScores(std::vector<double> scores, std::vector<double> runningMean, std::size_t bestGame)
{
    scores_ = std::move(scores);
    runningMean_ = std::move(runningMean);
    bestGame_ = bestGame;
    update();
}

void HistoryChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (scores_.empty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const auto [low, high] = std::minmax_element(scores_.begin(), scores_.end());
    const double top = *high <= *low ? *low + 1 : *high;
    const double bottom = std::min(*low, 0.0);
    const int axisWidth = std::max(metrics.horizontalAdvance(QString::number(top, 'f', 0)),
                                   metrics.horizontalAdvance(QString::number(bottom, 'f', 0)))
                          + 8;
    const QRect plot = rect().adjusted(axisWidth, metrics.height(), -10, -metrics.height() - 4);
    const std::size_t count = scores_.size();
    const auto pointAt = [&](std::size_t i, double value) {
        const double x = count == 1 ? plot.center().x()
                                    : plot.left() + static_cast<double>(plot.width()) * static_cast<double>(i)
                                                        / static_cast<double>(count - 1);
        const double y = plot.bottom() - static_cast<double>(plot.height()) * (value - bottom) / (top - bottom);
        return QPointF(x, y);
    };

    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, plot.top() - metrics.height() / 2, axisWidth - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(top, 'f', 0));
    painter.drawText(QRect(0, plot.bottom() - metrics.height() / 2, axisWidth - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(bottom, 'f', 0));

    // With thousands of games the dots melt into a band; one path draws them in one go.
    QPainterPath scoreLine;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0)
            scoreLine.moveTo(pointAt(i, scores_[i]));
        else
            scoreLine.lineTo(pointAt(i, scores_[i]));
    }
    painter.setPen(QPen(QColor(0x9f, 0xb8, 0xd8), 1));
    painter.drawPath(scoreLine);
    if (count <= 400) {
        painter.setBrush(QColor(0x3a, 0x6e, 0xa5));
        painter.setPen(Qt::NoPen);
        for (std::size_t i = 0; i < count; ++i)
            painter.drawEllipse(pointAt(i, scores_[i]), 2.5, 2.5);
    }
    QPainterPath meanLine;
    for (std::size_t i = 0; i < runningMean_.size(); ++i) {
        if (i == 0)
            meanLine.moveTo(pointAt(i, runningMean_[i]));
        else
            meanLine.lineTo(pointAt(i, runningMean_[i]));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0xe0, 0x80, 0x10), 2));
    painter.drawPath(meanLine);

    if (bestGame_ < count) {
        const QPointF best = pointAt(bestGame_, scores_[bestGame_]);
        painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2));
        painter.drawEllipse(best, 6, 6);
        painter.drawText(QRectF(best.x() - 60, best.y() + 6, 120, metrics.height()), Qt::AlignCenter,
                         QStringLiteral("最高 %1").arg(scores_[bestGame_], 0, 'f', 0));
    }
}
