#include "platform/SurfaceImage.h"

Surface surfaceFromImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Surface surface(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            surface.setPixel(x, y, line[x] & 0xFFFFFFu);
    }
    return surface;
}

QImage imageFromSurface(const Surface& surface)
{
    return imageFromSurface(surface, QRect(0, 0, surface.width(), surface.height()));
}

QImage imageFromSurface(const Surface& surface, const QRect& area)
{
    const QRect part = area.intersected(QRect(0, 0, surface.width(), surface.height()));
    QImage image(part.size(), QImage::Format_RGB32);
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint32_t* pixels = surface.row(part.y() + y) + part.x();
        for (int x = 0; x < part.width(); ++x)
            line[x] = 0xFF000000u | pixels[x];
    }
    return image;
}
