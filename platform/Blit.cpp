#include "platform/Blit.h"

#include <algorithm>

void blit(Surface& destination, int dx, int dy, int w, int h,
          const Surface& source, int sx, int sy, RasterOp op)
{
    // Clip the rectangle against the source and the destination, moving both origins together.
    const int left = std::max({0, -dx, -sx});
    const int top = std::max({0, -dy, -sy});
    const int right = std::min({w, destination.width() - dx, source.width() - sx});
    const int bottom = std::min({h, destination.height() - dy, source.height() - sy});
    if (left >= right || top >= bottom)
        return;

    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* from = source.row(sy + y) + sx;
        std::uint32_t* to = destination.row(dy + y) + dx;
        switch (op) {
        case RasterOp::Copy:
            std::copy(from + left, from + right, to + left);
            break;
        case RasterOp::Paint:
            for (int x = left; x < right; ++x)
                to[x] |= from[x];
            break;
        case RasterOp::And:
            for (int x = left; x < right; ++x)
                to[x] &= from[x];
            break;
        }
    }
}
