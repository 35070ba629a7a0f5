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
    QImage image(surface.width(), surface.height(), QImage::Format_RGB32);
    for (int y = 0; y < surface.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint32_t* pixels = surface.row(y);
        for (int x = 0; x < surface.width(); ++x)
            line[x] = 0xFF000000u | pixels[x];
    }
    return image;
}
