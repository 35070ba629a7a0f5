#include "platform/SurfaceWidget.h"

#include "platform/SurfaceImage.h"

#include <QPainter>

SurfaceWidget::SurfaceWidget(int width, int height, std::uint32_t background, QWidget* parent)
    : QWidget(parent),
      surface_(width, height, background)
{
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Pixel art: under a display scale it must stay crisp, never smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(0, 0), imageFromSurface(surface_));
}
