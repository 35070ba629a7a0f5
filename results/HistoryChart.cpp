#include "results/HistoryChart.h"

#include "results/ChartPainter.h"
#include "results/HistoryLayout.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kScore(0x3a, 0x6e, 0xa5);
const QColor kScoreLine(0x9f, 0xb8, 0xd8);
const QColor kMean(0xe0, 0x80, 0x10);
const QColor kBest(0xc0, 0x20, 0x20);

} // namespace

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(280, 210);
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
    const ChartLayout chart =
        HistoryLayout::layout(scores_, bestGame_, ChartPainter::areaOf(*this), ChartPainter::metricsOf(font()));
    const auto pointAt = [&](std::size_t i, double value) {
        return QPointF(chart.xAt(static_cast<double>(i + 1)), chart.yAt(value));
    };
    ChartPainter::drawLines(painter, chart, [](int) { return QColor(0x70, 0x70, 0x70); });
    ChartPainter::drawLabels(painter, chart, [](int kind) { return kind == HistoryLayout::Best ? kBest : Qt::black; });
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ChartItem& swatch : chart.swatches) {
        const QRectF box = ChartPainter::rectOf(swatch.box);
        painter.setBrush(Qt::NoBrush);
        if (swatch.kind == HistoryLayout::Score) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kScore);
            painter.drawEllipse(box.center(), 2.5, 2.5);
        } else if (swatch.kind == HistoryLayout::Mean) {
            painter.setPen(QPen(kMean, 2));
            painter.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
        } else {
            painter.setPen(QPen(kBest, 2));
            painter.drawEllipse(box.center(), box.width() / 2 - 1, box.height() / 2 - 1);
        }
    }

    painter.setClipRect(ChartPainter::rectOf(chart.plot).adjusted(-8, -8, 8, 8));
    const std::size_t count = scores_.size();
    // With thousands of games the dots melt into a band; one path draws them in one go.
    QPainterPath scoreLine;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0)
            scoreLine.moveTo(pointAt(i, scores_[i]));
        else
            scoreLine.lineTo(pointAt(i, scores_[i]));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kScoreLine, 1));
    painter.drawPath(scoreLine);
    if (count <= 400) {
        painter.setBrush(kScore);
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
    painter.setPen(QPen(kMean, 2));
    painter.drawPath(meanLine);
    if (bestGame_ < count) {
        painter.setPen(QPen(kBest, 2));
        painter.drawEllipse(pointAt(bestGame_, scores_[bestGame_]), 6, 6);
    }
}
