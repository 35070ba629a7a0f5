#include "tools/artwork/Lever.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace {

void drawPlate(QPainter& painter)
{
    const QRectF plate(0, 168, 15, 61);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x20, 0x20, 0x28));
    painter.drawRect(plate);
    painter.fillRect(QRectF(0, 168, 15, 1), QColor(0x58, 0x58, 0x60));
    painter.fillRect(QRectF(14, 168, 1, 61), QColor(0x08, 0x08, 0x0C));
    for (const qreal y : {176.0, 221.0}) {
        QRadialGradient screw(QPointF(5.5, y), 2.5, QPointF(4.8, y - 0.8));
        screw.setColorAt(0.0, QColor(0xB0, 0xB0, 0xB8));
        screw.setColorAt(1.0, QColor(0x30, 0x30, 0x38));
        painter.setBrush(screw);
        painter.drawEllipse(QPointF(5.5, y), 2.5, 2.5);
    }
}

void drawRod(QPainter& painter)
{
    QLinearGradient steel(14, 0, 26, 0);
    steel.setColorAt(0.0, QColor(0x48, 0x4C, 0x54));
    steel.setColorAt(0.3, QColor(0xF4, 0xF6, 0xFA));
    steel.setColorAt(0.55, QColor(0xA8, 0xAC, 0xB4));
    steel.setColorAt(1.0, QColor(0x38, 0x3C, 0x44));
    painter.setPen(Qt::NoPen);
    painter.setBrush(steel);
    painter.drawRect(QRectF(14, 30, 12, 160));
}

void drawBlock(QPainter& painter)
{
    const qreal top = 184, topFace = 9;
    QLinearGradient lid(0, top, 0, top + topFace);
    lid.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF));
    lid.setColorAt(1.0, QColor(0xC8, 0xCC, 0xD4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(lid);
    painter.drawRect(QRectF(8, top, 31, topFace));

    QLinearGradient front(0, top + topFace, 0, Lever::height);
    front.setColorAt(0.0, QColor(0xA0, 0xA4, 0xAC));
    front.setColorAt(0.25, QColor(0x80, 0x84, 0x8C));
    front.setColorAt(1.0, QColor(0x40, 0x44, 0x4C));
    painter.setBrush(front);
    painter.drawRect(QRectF(8, top + topFace, 31, Lever::height - top - topFace));

    painter.fillRect(QRectF(8, top + topFace, 31, 1), QColor(0x60, 0x64, 0x6C));
    painter.fillRect(QRectF(8, top, 1, Lever::height - top), QColor(0xE0, 0xE4, 0xEC));
    painter.fillRect(QRectF(38, top, 1, Lever::height - top), QColor(0x30, 0x34, 0x3C));
    painter.fillRect(QRectF(39, top, 1, Lever::height - top), QColor(0x80, 0x80, 0x80));

    // Where the rod goes in.
    QLinearGradient hole(14, 0, 26, 0);
    hole.setColorAt(0.0, QColor(0x50, 0x54, 0x5C));
    hole.setColorAt(0.5, QColor(0x20, 0x22, 0x28));
    hole.setColorAt(1.0, QColor(0x50, 0x54, 0x5C));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(hole);
    painter.drawEllipse(QRectF(12.5, top + 1.5, 15, 5));
    painter.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient steel(14, 0, 26, 0);
    steel.setColorAt(0.0, QColor(0x48, 0x4C, 0x54));
    steel.setColorAt(0.3, QColor(0xF4, 0xF6, 0xFA));
    steel.setColorAt(0.55, QColor(0xA8, 0xAC, 0xB4));
    steel.setColorAt(1.0, QColor(0x38, 0x3C, 0x44));
    painter.setBrush(steel);
    painter.drawRect(QRectF(14, top - 4, 12, 8));
}

void drawKnob(QPainter& painter)
{
    const QPointF centre(20, 20);
    const qreal radius = 19.5;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QRadialGradient body(centre, radius, QPointF(13, 12));
    body.setColorAt(0.0, QColor(0x70, 0x70, 0x78));
    body.setColorAt(0.45, QColor(0x20, 0x20, 0x24));
    body.setColorAt(1.0, QColor(0x00, 0x00, 0x00));
    painter.setBrush(body);
    painter.drawEllipse(centre, radius, radius);

    // Reflected light along the lower rim.
    QRadialGradient rim(centre + QPointF(3, 6), radius, centre + QPointF(5, 14));
    rim.setColorAt(0.0, QColor(0x60, 0x60, 0x70, 0x90));
    rim.setColorAt(0.5, QColor(0x30, 0x30, 0x38, 0x00));
    painter.setBrush(rim);
    painter.drawEllipse(centre, radius - 1, radius - 1);

    QRadialGradient gloss(QPointF(13, 11), 7);
    gloss.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF, 0xF0));
    gloss.setColorAt(0.4, QColor(0xFF, 0xFF, 0xFF, 0x80));
    gloss.setColorAt(1.0, QColor(0xFF, 0xFF, 0xFF, 0x00));
    painter.setBrush(gloss);
    painter.drawEllipse(QPointF(13, 11), 7, 5.5);
}

} // namespace

QImage Lever::image() const
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&image);
    drawPlate(painter);
    drawRod(painter);
    drawBlock(painter);
    drawKnob(painter);
    return image;
}
