#pragma once

// The three raster operations the game draws with, applied to the 0xRRGGBB bits of each pixel.
enum class RasterOp {
    Copy,   // destination = source
    Paint,  // destination = source OR destination
    And,    // destination = source AND destination
};
