#include "tools/artwork/LetterStrip.h"

#include "tools/artwork/OutlineFont.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int letterCount = 26;
constexpr int capTop = 4;    // the tallest letter touches this row
constexpr int baseline = 32; // letters stand on the bottom edge of the strip
constexpr qreal narrowing = 0.95;
constexpr int tileWidth = 2 * LetterStrip::cellWidth;

QImage renderLetter(const QPainterPath& glyph, qreal scale)
{
    QImage tile(tileWidth, LetterStrip::height, QImage::Format_Grayscale8);
    tile.fill(0);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(tileWidth / 2.0, baseline);
    painter.scale(scale * narrowing, scale);
    painter.translate(-glyph.boundingRect().center().x(), 0);
    painter.fillPath(glyph, Qt::white);
    return tile;
}

} // namespace

LetterStrip::LetterStrip(const OutlineFont& font)
    : drawn_(width, height, QImage::Format_Grayscale8)
{
    std::vector<QPainterPath> glyphs;
    qreal tallest = 0;
    for (int i = 0; i < letterCount; ++i) {
        glyphs.push_back(font.path(QString(QChar('A' + i))));
        tallest = std::max(tallest, -glyphs.back().boundingRect().top());
    }
    const qreal scale = (baseline - capTop) / tallest;

    drawn_.fill(0);
    // Cells -1 and 30 lie outside the strip; they are stamped for what they spill into it.
    for (int cell = -1; cell <= width / cellWidth + 1; ++cell) {
        const QImage tile = renderLetter(glyphs[(cell + letterCount) % letterCount], scale);
        const int left = cell * cellWidth + cellWidth / 2 - tileWidth / 2;
        for (int y = 0; y < height; ++y) {
            const uchar* coverage = tile.constScanLine(y);
            uchar* target = drawn_.scanLine(y);
            for (int x = 0; x < tileWidth; ++x)
                if (coverage[x] >= 128 && left + x >= 0 && left + x < width)
                    target[left + x] = 1;
        }
    }
}

QImage LetterStrip::letters() const
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, drawn_.constScanLine(y)[x] ? ink : background);
    return image;
}

QImage LetterStrip::mask() const
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, drawn_.constScanLine(y)[x] ? 0xFFFFFFFF : 0xFF000000);
    return image;
}
