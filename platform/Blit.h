#pragma once

#include "platform/RasterOp.h"
#include "platform/Surface.h"

// Combines the w x h rectangle of `source` at (sx, sy) into `destination` at (dx, dy).
// Whatever part of the rectangle falls outside either surface is clipped away.
void blit(Surface& destination, int dx, int dy, int w, int h,
          const Surface& source, int sx, int sy, RasterOp op);
