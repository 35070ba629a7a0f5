#pragma once

#include <QImage>

// One 8 x 25 cell of the LED bar: a black outline around a face lit from the top left.
class LedCell {
public:
    static constexpr int width = 8;
    static constexpr int height = 25;

    static LedCell lit() { return LedCell(0x00FFFF, 0x0080FF, 0x0000FF); }
    static LedCell unlit() { return LedCell(0x0060BF, 0x004080, 0x000040); }

    QImage image() const;

private:
    LedCell(QRgb highlight, QRgb face, QRgb shadow) : highlight_(highlight), face_(face), shadow_(shadow) {}

    QRgb highlight_;
    QRgb face_;
    QRgb shadow_;
};
