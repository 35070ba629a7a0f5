#include "ui/ShapeWidget.h"

#include <QPainter>

ShapeWidget::ShapeWidget(const QRect& rectangle, int outlineWidth, std::optional<QColor> fill, QWidget* parent)
    : QWidget(parent), rectangle_(rectangle), outlineWidth_(outlineWidth), fill_(fill)
{
    const int outside = (outlineWidth + 1) / 2;
    setGeometry(rectangle.adjusted(-outside, -outside, outside, outside));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect local = rectangle_.translated(-geometry().topLeft());
    if (fill_)
        painter.fillRect(local, *fill_);
    // Outline of width w centred on the edge: w/2 pixels on either side of the boundary.
    const int inside = outlineWidth_ / 2;
    const int outside = outlineWidth_ - inside;
    const QRect outer = local.adjusted(-outside, -outside, outside, outside);
    const QRect inner = local.adjusted(inside, inside, -inside, -inside);
    QRegion ring = QRegion(outer).subtracted(QRegion(inner));
    painter.setClipRegion(ring);
    painter.fillRect(outer, Qt::black);
}
