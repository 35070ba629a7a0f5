#include "platform/Surface.h"

#include <algorithm>

Surface::Surface(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill & 0xFFFFFFu)
{
}

void Surface::fill(std::uint32_t rgb)
{
    std::fill(pixels_.begin(), pixels_.end(), rgb & 0xFFFFFFu);
}
