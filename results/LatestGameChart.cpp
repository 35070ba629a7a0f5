#include "results/LatestGameChart.h"

#include "results/ChartPainter.h"
#include "results/LatestGameLayout.h"

#include <QPainter>

LatestGameChart::LatestGameChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(280, 210);
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
    const ChartLayout chart =
        LatestGameLayout::layout(game_, ChartPainter::areaOf(*this), ChartPainter::metricsOf(font()));
    for (const ChartItem& bar : chart.bars)
        painter.fillRect(ChartPainter::rectOf(bar.box),
                         bar.kind == LatestGameLayout::Tenth ? QColor(0xb8, 0xc8, 0xdc) : QColor(0x3a, 0x6e, 0xa5));
    ChartPainter::drawLines(painter, chart, [](int) { return QColor(0x70, 0x70, 0x70); });
    ChartPainter::drawLabels(painter, chart, [](int kind) {
        return kind == LatestGameLayout::WrongKeys ? QColor(0xc0, 0x20, 0x20)
               : kind == LatestGameLayout::Tenth   ? QColor(0x70, 0x70, 0x70)
                                                   : QColor(Qt::black);
    });
}
