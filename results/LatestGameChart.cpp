#include "results/LatestGameChart.h"

#include <QPainter>

#include <algorithm>

LatestGameChart::LatestGameChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(360, 240);
}

void LatestGameChart::setGame(const FinishedGame& game)
{
    game_ = game;
    update();
}

void LatestGameChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (game_.stops.empty())
        return;
    const QFontMetrics metrics(font());
    const int lineHeight = metrics.height();
    const QRect plot = rect().adjusted(8, lineHeight * 2 + 4, -8, -lineHeight - 6);
    std::int64_t slowest = 1;
    for (const StopResult& stop : game_.stops)
        slowest = std::max(slowest, stop.reactionUs);
    const int count = static_cast<int>(game_.stops.size());
    const double slot = static_cast<double>(plot.width()) / count;
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    for (int i = 0; i < count; ++i) {
        const StopResult& stop = game_.stops[static_cast<std::size_t>(i)];
        const int barHeight = static_cast<int>(static_cast<double>(plot.height()) * static_cast<double>(stop.reactionUs)
                                            / static_cast<double>(slowest));
        const int left = plot.left() + static_cast<int>(slot * i + slot * 0.15);
        const int width = std::max(2, static_cast<int>(slot * 0.7));
        const QRect bar(left, plot.bottom() - barHeight, width, barHeight);
        painter.fillRect(bar, i == count - 1 ? QColor(0x9f, 0xb8, 0xd8) : QColor(0x3a, 0x6e, 0xa5));
        painter.setPen(Qt::black);
        const QRect column(plot.left() + static_cast<int>(slot * i), 0, static_cast<int>(slot), height());
        painter.drawText(QRect(column.left(), bar.top() - lineHeight - 1, column.width(), lineHeight), Qt::AlignCenter,
                         QString::number(static_cast<double>(stop.reactionUs) / 1000.0, 'f', 0));
        painter.drawText(QRect(column.left(), plot.bottom() + 3, column.width(), lineHeight), Qt::AlignCenter,
                         QString(QChar(stop.letter)));
        if (stop.wrongKeys > 0) {
            painter.setPen(QColor(0xc0, 0x20, 0x20));
            painter.drawText(QRect(column.left(), bar.top() - 2 * lineHeight - 1, column.width(), lineHeight),
                             Qt::AlignCenter, QStringLiteral("×%1").arg(stop.wrongKeys));
        }
    }
}
