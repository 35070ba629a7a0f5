#pragma once

#include <cstdint>
#include <vector>

// A rectangle of 0xRRGGBB pixels (the top byte is always 0), row by row from the top-left.
class Surface {
public:
    Surface() = default;
    Surface(int width, int height, std::uint32_t fill = 0x000000);

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    std::uint32_t pixel(int x, int y) const { return pixels_[index(x, y)]; }
    void setPixel(int x, int y, std::uint32_t rgb) { pixels_[index(x, y)] = rgb & 0xFFFFFFu; }
    void fill(std::uint32_t rgb);

    const std::uint32_t* row(int y) const { return pixels_.data() + index(0, y); }
    std::uint32_t* row(int y) { return pixels_.data() + index(0, y); }

    bool operator==(const Surface& other) const = default;

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};
