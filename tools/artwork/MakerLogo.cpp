#include "tools/artwork/MakerLogo.h"

#include "tools/artwork/OutlineFont.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace {

constexpr qreal baseline = 42;
const QColor outline(0x20, 0x28, 0x30);
const QColor yellow(0xFF, 0xE0, 0x20);

void drawName(QPainter& painter, const QPainterPath& name)
{
    painter.setPen(QPen(outline, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(name);
    QLinearGradient fill(0, -38, 0, 0); // the name's own coordinates: baseline at 0
    fill.setColorAt(0.0, QColor(0xFF, 0xFF, 0xB0));
    fill.setColorAt(0.45, yellow);
    fill.setColorAt(1.0, QColor(0xF0, 0xA0, 0x00));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(name);
}

} // namespace

MakerLogo::MakerLogo(const OutlineFont& script)
{
    const QPainterPath raw = script.path(QStringLiteral("Quillon"));
    const QRectF bounds = raw.boundingRect();
    // Tall enough to leave room for the reflection, and drawn out a little to fill the width.
    const qreal scale = 38.0 / -bounds.top();
    QTransform transform;
    transform.translate(width / 2.0, 0);
    transform.scale(std::min(206.0 / bounds.width(), scale * 1.2), scale);
    transform.translate(-bounds.center().x(), 0);
    name_ = transform.map(raw);
}

QImage MakerLogo::image() const
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient background(0, 0, width, height);
    background.setColorAt(0.0, QColor(0xB8, 0xEC, 0xE0));
    background.setColorAt(0.55, QColor(0xA8, 0xC8, 0xC8));
    background.setColorAt(1.0, QColor(0x98, 0x9C, 0xA0));
    painter.fillRect(image.rect(), background);
    painter.setRenderHint(QPainter::Antialiasing);

    QImage reflection(width, height, QImage::Format_ARGB32_Premultiplied);
    reflection.fill(Qt::transparent);
    {
        QPainter mirror(&reflection);
        mirror.setRenderHint(QPainter::Antialiasing);
        mirror.translate(0, baseline + 2);
        mirror.scale(1, -0.6);
        drawName(mirror, name_);
        mirror.resetTransform();
        mirror.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient fade(0, baseline, 0, height);
        fade.setColorAt(0.0, QColor(0, 0, 0, 0x60));
        fade.setColorAt(1.0, QColor(0, 0, 0, 0x00));
        mirror.fillRect(reflection.rect(), fade);
    }
    painter.drawImage(0, 0, reflection);

    painter.translate(0, baseline);
    drawName(painter, name_);
    return image;
}
