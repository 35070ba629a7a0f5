#include "platform/Blit.h"

#include <gtest/gtest.h>

namespace {

Surface filled(int w, int h, std::uint32_t rgb) { return Surface(w, h, rgb); }

TEST(Blit, rasterOperationsCombineEveryColourBitExactly)
{
    struct Case {
        RasterOp op;
        std::uint32_t destination, source, expected;
    };
    const Case cases[] = {
        {RasterOp::Copy, 0x123456, 0xFF8040, 0xFF8040},
        {RasterOp::Paint, 0x123456, 0xFF8040, 0xFFB456},
        {RasterOp::Paint, 0xFFFFFF, 0xFF8040, 0xFFFFFF},
        {RasterOp::Paint, 0x000000, 0xFF8040, 0xFF8040},
        {RasterOp::And, 0x123456, 0xFF8040, 0x120040},
        {RasterOp::And, 0xFFB456, 0x000000, 0x000000},
        {RasterOp::And, 0xA5A5A5, 0xFFFFFF, 0xA5A5A5},
    };
    for (const Case& c : cases) {
        Surface destination = filled(3, 2, c.destination);
        blit(destination, 0, 0, 3, 2, filled(3, 2, c.source), 0, 0, c.op);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(destination.pixel(x, y), c.expected) << "op " << int(c.op) << " at " << x << "," << y;
    }
}

TEST(Blit, readsTheSourceRectangleAndWritesOnlyTheDestinationRectangle)
{
    Surface source(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            source.setPixel(x, y, static_cast<std::uint32_t>(0x100 * y + x));
    Surface destination(5, 4, 0xABCDEF);

    blit(destination, 2, 1, 2, 2, source, 1, 1, RasterOp::Copy);

    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            const std::uint32_t expected = inside ? source.pixel(x - 1, y) : 0xABCDEF;
            EXPECT_EQ(destination.pixel(x, y), expected) << x << "," << y;
        }
}

TEST(Blit, clipsAtEveryEdgeOfBothSurfaces)
{
    Surface source(8, 2, 0x0000FF);
    source.setPixel(0, 0, 0xFF0000);

    // Wider than the destination and hanging off its right edge.
    Surface wide(5, 2, 0);
    blit(wide, 2, 0, 8, 2, source, 0, 0, RasterOp::Copy);
    EXPECT_EQ(wide.pixel(1, 0), 0u);
    EXPECT_EQ(wide.pixel(2, 0), 0xFF0000u);
    EXPECT_EQ(wide.pixel(4, 1), 0x0000FFu);

    // Starting left of the destination: the first source columns are dropped.
    Surface left(3, 2, 0);
    blit(left, -1, 0, 3, 2, source, 0, 0, RasterOp::Copy);
    EXPECT_EQ(left.pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(left.pixel(1, 0), 0x0000FFu);
    EXPECT_EQ(left.pixel(2, 0), 0u);

    // Reading past the source's right and bottom edges copies nothing from there.
    Surface past(4, 4, 0x111111);
    blit(past, 0, 0, 4, 4, source, 6, 1, RasterOp::Copy);
    EXPECT_EQ(past.pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(past.pixel(1, 0), 0x0000FFu);
    EXPECT_EQ(past.pixel(2, 0), 0x111111u);
    EXPECT_EQ(past.pixel(0, 1), 0x111111u);

    // Wholly outside: nothing changes.
    Surface untouched(4, 2, 0x222222);
    blit(untouched, -8, 0, 8, 2, source, 0, 0, RasterOp::Copy);
    blit(untouched, 4, 0, 8, 2, source, 0, 0, RasterOp::Copy);
    EXPECT_EQ(untouched, Surface(4, 2, 0x222222));
}

} // namespace
