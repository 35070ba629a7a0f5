#include "results/ReactionHistogram.h"

#include "results/ChartPainter.h"
#include "results/HistogramLayout.h"

#include <QPainter>

namespace {

QColor colourOf(int kind)
{
    switch (kind) {
    case HistogramLayout::Tenth: return {0x20, 0x90, 0x40};
    case HistogramLayout::Median: return {0xc0, 0x20, 0x20};
    case HistogramLayout::Ninetieth: return {0xe0, 0x80, 0x10};
    default: return Qt::black;
    }
}

} // namespace

ReactionHistogram::ReactionHistogram(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(280, 210);
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
    const ChartLayout chart = HistogramLayout::layout(histogram_, tenthMs_, medianMs_, ninetiethMs_,
                                                      ChartPainter::areaOf(*this), ChartPainter::metricsOf(font()));
    for (const ChartItem& bar : chart.bars)
        painter.fillRect(ChartPainter::rectOf(bar.box), QColor(0x3a, 0x6e, 0xa5));
    for (const ChartItem& swatch : chart.swatches)
        painter.fillRect(ChartPainter::rectOf(swatch.box).adjusted(swatch.box.width / 2 - 1, 0, -swatch.box.width / 2 + 1, 0),
                         colourOf(swatch.kind));
    ChartPainter::drawLines(painter, chart, colourOf);
    ChartPainter::drawLabels(painter, chart, colourOf);
}
