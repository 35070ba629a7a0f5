#include "tools/artwork/TitlePlate.h"

#include "tools/artwork/OutlineFont.h"

#include <QColor>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int bevel = 4;
constexpr QPointF swirlCentre(150, 86);

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Colour by the direction seen from the lower middle: pale blue to the right, pink overhead,
// yellow to the left. Near the centre the bands turn further, which makes them swirl.
QColor surface(qreal x, qreal y)
{
    const qreal dx = x - swirlCentre.x();
    const qreal dy = swirlCentre.y() - y;
    const qreal distance = std::hypot(dx, dy);
    const qreal turn = std::clamp(std::atan2(dy, dx) / std::numbers::pi + 0.45 * std::exp(-distance / 45.0), 0.0, 1.0);

    const QColor blue(0xA8, 0xDC, 0xFF);
    const QColor pink(0xFF, 0x9C, 0xD0);
    const QColor yellow(0xFF, 0xF0, 0x40);
    QColor colour = turn < 0.2 ? blue
                  : turn < 0.5 ? mix(blue, pink, (turn - 0.2) / 0.3)
                  : turn < 0.8 ? mix(pink, yellow, (turn - 0.5) / 0.3)
                               : yellow;

    // A soft glow where the swirl comes from.
    const qreal glow = std::exp(-distance * distance / (2 * 38.0 * 38.0)) * 0.7;
    return mix(colour, Qt::white, glow);
}

QImage darkened(const QImage& image)
{
    QImage result = image;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = qRgb(qRed(line[x]) * 2 / 3, qGreen(line[x]) * 2 / 3, qBlue(line[x]) * 2 / 3);
    }
    return result;
}

void drawRivet(QPainter& painter, QPointF centre)
{
    const qreal radius = 4.5;
    QRadialGradient brass(centre, radius, centre - QPointF(1.6, 1.6));
    brass.setColorAt(0.0, QColor(0xFF, 0xF0, 0xC0));
    brass.setColorAt(0.35, QColor(0xF0, 0xA0, 0x40));
    brass.setColorAt(0.8, QColor(0xB0, 0x60, 0x18));
    brass.setColorAt(1.0, QColor(0x60, 0x30, 0x08));
    painter.setPen(Qt::NoPen);
    painter.setBrush(brass);
    painter.drawEllipse(centre, radius, radius);
}

} // namespace

TitlePlate::TitlePlate(const OutlineFont& serif)
    : name_(OutlineFont::fitted(serif.path(QStringLiteral("ZUMIKKO")), QRectF(26, 26, 248, 33)))
{
}

QImage TitlePlate::plate()
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, surface(x + 0.5, y + 0.5).rgb());

    // Bevel: lighter towards the top and left edges, darker towards the bottom and right.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int fromLeft = x, fromTop = y, fromRight = width - 1 - x, fromBottom = height - 1 - y;
            const int edge = std::min({fromLeft, fromTop, fromRight, fromBottom});
            if (edge >= bevel)
                continue;
            const bool lit = std::min(fromLeft, fromTop) < std::min(fromRight, fromBottom)
                || (std::min(fromLeft, fromTop) == std::min(fromRight, fromBottom) && fromLeft + fromTop < fromRight + fromBottom);
            const QColor base = QColor::fromRgb(image.pixel(x, y));
            const qreal depth = 1.0 - edge / qreal(bevel);
            const QColor colour = edge == 0 ? QColor(lit ? 0x80 : 0x30, lit ? 0x80 : 0x30, lit ? 0x80 : 0x40)
                                  : lit    ? mix(base, Qt::white, 0.3 + 0.4 * depth)
                                           : mix(base, QColor(0x40, 0x30, 0x60), 0.25 + 0.35 * depth);
            image.setPixel(x, y, colour.rgb());
        }
    return image;
}

void TitlePlate::decorate(QImage& image) const
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(name_.translated(2, 2), QColor(0x10, 0x30, 0x10));
    painter.setPen(QPen(QColor(0x10, 0x50, 0x10), 0.8));
    painter.setBrush(QColor::fromRgb(letterColour));
    painter.drawPath(name_);
    for (const QPointF centre : {QPointF(10, 10), QPointF(290, 10), QPointF(10, 81), QPointF(290, 81)})
        drawRivet(painter, centre);
}

QImage TitlePlate::bright() const
{
    QImage image = plate();
    decorate(image);
    return image;
}

QImage TitlePlate::dim() const
{
    QImage image = darkened(plate());
    decorate(image);
    return image;
}
