#include "tools/artwork/ProgramIcon.h"

#include "tools/artwork/OutlineFont.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Seven rows each; '#' is ink. Letters are set one pixel apart.
using PixelLetter = std::array<std::string_view, 7>;
constexpr std::array<PixelLetter, 6> smallWord = {{
    {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"},
    {"....", "....", "#..#", "#..#", "#..#", "#..#", ".###"},
    {".....", ".....", "####.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"},
    {"#", ".", "#", "#", "#", "#", "#"},
    {"#..", "#..", "#.#", "#.#", "##.", "#.#", "#.#"},
    {"#..", "#..", "#.#", "#.#", "##.", "#.#", "#.#"},
}};

} // namespace

ProgramIcon::ProgramIcon(const OutlineFont& bold, int pixels)
    : bold_(bold), pixels_(pixels)
{
}

QImage ProgramIcon::image() const
{
    QImage image(pixels_, pixels_, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on the 32-pixel grid and scaled, so every size shows the same picture.
    const qreal scale = qreal(pixels_) / size;
    painter.scale(scale, scale);

    QLinearGradient blue(0, 0, 0, size);
    blue.setColorAt(0.0, QColor(0x40, 0x70, 0xF0));
    blue.setColorAt(1.0, QColor(0x08, 0x20, 0xA0));
    painter.setPen(QPen(QColor(0x00, 0x10, 0x50), std::max(1.0, 1.0 / scale)));
    painter.setBrush(blue);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 6, 6);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0xB8, 0xE0));
    painter.drawRoundedRect(QRectF(2, 2, 28, 9), 1.5, 1.5);

    const QColor green(0x00, 0x90, 0x00);
    if (pixels_ == size) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        int left = 3;
        for (const PixelLetter& letter : smallWord) {
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < int(letter[row].size()); ++column)
                    if (letter[row][column] == '#')
                        painter.fillRect(left + column, 3 + row, 1, 1, green);
            left += int(letter[0].size()) + 1;
        }
    } else if (pixels_ > size) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(green);
        painter.drawPath(OutlineFont::fitted(bold_.path(QStringLiteral("Zumikk")), QRectF(3.5, 3, 25, 7)));
    }

    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath o = OutlineFont::fitted(bold_.path(QStringLiteral("o")), QRectF(8, 13, 16, 16.5));
    painter.setPen(QPen(QColor(0x00, 0x10, 0x40), 1.6));
    painter.setBrush(QColor(0xFF, 0xE8, 0x20));
    painter.drawPath(o);
    painter.setPen(Qt::NoPen);
    painter.drawPath(o);
    return image;
}
