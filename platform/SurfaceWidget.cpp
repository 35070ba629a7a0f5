#include "platform/SurfaceWidget.h"

#include "platform/SurfaceImage.h"

#include <QPaintEvent>
#include <QPainter>

SurfaceWidget::SurfaceWidget(int width, int height, std::uint32_t background, QWidget* parent)
    : QWidget(parent),
      surface_(width, height, background)
{
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // Pixel art: under a display scale it must stay crisp, never smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Only what is exposed: a marquee tick repaints a cell or two, not the whole bar.
    for (const QRect& area : event->region()) {
        const QRect part = area.intersected(rect());
        if (!part.isEmpty())
            painter.drawImage(part.topLeft(), imageFromSurface(surface_, part));
    }
}
