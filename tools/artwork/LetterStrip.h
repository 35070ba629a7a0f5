#pragma once

#include <QImage>

class OutlineFont;

// The reel's letter strip and its mask. Each capital is rendered once and thresholded, then
// stamped into every cell that holds it, so that the strip repeats exactly every 26 cells,
// including the parts of wide letters that reach into the neighbouring cells.
class LetterStrip {
public:
    static constexpr int width = 957;
    static constexpr int height = 32;
    static constexpr int cellWidth = 32;
    static constexpr QRgb background = 0xFFFFFFFF;
    static constexpr QRgb ink = 0xFFFF8040;

    explicit LetterStrip(const OutlineFont& font);

    QImage letters() const;
    QImage mask() const;

private:
    QImage drawn_; // 1 where a letter pixel is, 0 elsewhere
};
