#include "tools/artwork/LedCell.h"

QImage LedCell::image() const
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            QRgb colour = 0x000000;
            if (y == 0 || y == height - 1 || x == 0 || x == width - 1)
                colour = 0x000000;
            else if (y == height - 2 || x == width - 2)
                colour = shadow_;
            else if (y == 1 || x == 1)
                colour = highlight_;
            else
                colour = face_;
            image.setPixel(x, y, 0xFF000000 | colour);
        }
    return image;
}
