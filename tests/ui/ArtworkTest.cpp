#include "platform/SurfaceImage.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

// The pictures live in the shell's static library; their registration has to be pulled in.
static Surface loadArt(const char* name)
{
    Q_INIT_RESOURCE(artwork);
    const QImage image(QStringLiteral(":/art/") + QLatin1String(name));
    EXPECT_FALSE(image.isNull()) << name << " is missing from the resources";
    return surfaceFromImage(image);
}

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kOrange = 0xFF8040;
constexpr std::uint32_t kTitleGreen = 0x42FF42;
constexpr int kCell = 32;
constexpr int kPeriod = 832;

int brightness(std::uint32_t rgb) { return int(rgb >> 16 & 0xFF) + int(rgb >> 8 & 0xFF) + int(rgb & 0xFF); }

TEST(Artwork, everyPictureLoadsAtItsSize)
{
    struct Case {
        const char* name;
        int width, height;
    };
    const Case cases[] = {
        {"abc.png", 957, 32},     {"mask.png", 957, 32},  {"led_front.png", 8, 25},
        {"led_back.png", 8, 25},  {"title_a.png", 300, 91}, {"title_b.png", 300, 91},
        {"icon.png", 32, 32},     {"lever.png", 40, 229}, {"quillon.png", 234, 60},
    };
    for (const Case& c : cases) {
        const Surface picture = loadArt(c.name);
        EXPECT_EQ(picture.width(), c.width) << c.name;
        EXPECT_EQ(picture.height(), c.height) << c.name;
    }
}

TEST(Artwork, stripIsOrangeOnWhiteAndTheMaskIsItsExactComplement)
{
    const Surface strip = loadArt("abc.png");
    const Surface mask = loadArt("mask.png");
    ASSERT_EQ(strip.width(), mask.width());
    ASSERT_EQ(strip.height(), mask.height());
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x) {
            const std::uint32_t letter = strip.pixel(x, y);
            ASSERT_TRUE(letter == kWhite || letter == kOrange) << "stray colour " << std::hex << letter << " at " << std::dec << x << "," << y;
            ASSERT_EQ(mask.pixel(x, y), letter == kOrange ? kWhite : kBlack) << x << "," << y;
        }
}

TEST(Artwork, stripRepeatsEvery26CellsSoTheReelCanWrapWithoutAJump)
{
    const Surface strip = loadArt("abc.png");
    for (int x = 0; x + kPeriod < strip.width(); ++x)
        for (int y = 0; y < strip.height(); ++y)
            ASSERT_EQ(strip.pixel(x + kPeriod, y), strip.pixel(x, y)) << "column " << x << " row " << y;
}

TEST(Artwork, everyCellHoldsItsOwnLetterCentredBelowFourBlankRows)
{
    const Surface strip = loadArt("abc.png");
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < strip.width(); ++x)
            ASSERT_EQ(strip.pixel(x, y), kWhite) << "letter above row 4 at " << x << "," << y;

    std::set<std::vector<std::uint32_t>> distinctLetters;
    std::vector<long> ink;
    for (int cell = 0; cell < 30; ++cell) {
        const int left = cell * kCell;
        std::vector<std::uint32_t> pixels;
        long inked = 0, columnSum = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = left; x < left + kCell && x < strip.width(); ++x) {
                pixels.push_back(strip.pixel(x, y));
                if (strip.pixel(x, y) == kOrange) {
                    ++inked;
                    columnSum += x - left;
                }
            }
        ASSERT_GT(inked, 40) << "cell " << cell << " is (nearly) empty";
        // A letter drawn into the wrong cell, or at its edge, pulls its weight off the middle.
        EXPECT_NEAR(double(columnSum) / inked, 15.5, 4.0) << "cell " << cell;
        if (cell < 26) {
            distinctLetters.insert(pixels);
            ink.push_back(inked);
        }
    }
    EXPECT_EQ(distinctLetters.size(), 26u) << "two cells of the alphabet show the same picture";
    // The alphabet starts at cell 0: the slimmest letter is "I" and the heaviest "M".
    EXPECT_EQ(std::min_element(ink.begin(), ink.end()) - ink.begin(), 'I' - 'A');
    EXPECT_EQ(std::max_element(ink.begin(), ink.end()) - ink.begin(), 'M' - 'A');
}

TEST(Artwork, ledCellsMatchTheirPixelLayoutInBothColourings)
{
    struct Colouring {
        const char* name;
        std::uint32_t highlight, face, shadow;
    };
    const Colouring colourings[] = {
        {"led_front.png", 0x00FFFF, 0x0080FF, 0x0000FF},
        {"led_back.png", 0x0060BF, 0x004080, 0x000040},
    };
    for (const Colouring& c : colourings) {
        const Surface cell = loadArt(c.name);
        ASSERT_EQ(cell.width(), 8);
        ASSERT_EQ(cell.height(), 25);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 8; ++x) {
                std::uint32_t expected = c.face;
                if (y == 0 || y == 24 || x == 0 || x == 7)
                    expected = kBlack;
                else if (x == 6 || y == 23)
                    expected = c.shadow;
                else if (y == 1 || x == 1)
                    expected = c.highlight;
                EXPECT_EQ(cell.pixel(x, y), expected) << c.name << " at " << x << "," << y;
            }
    }
}

TEST(Artwork, dimTitleFrameDarkensOnlyThePlateToAboutTwoThirds)
{
    const Surface bright = loadArt("title_a.png");
    const Surface dim = loadArt("title_b.png");
    ASSERT_EQ(bright.width(), dim.width());
    ASSERT_EQ(bright.height(), dim.height());

    int lettering = 0;
    for (int y = 0; y < bright.height(); ++y)
        for (int x = 0; x < bright.width(); ++x)
            if (bright.pixel(x, y) == kTitleGreen) {
                ++lettering;
                EXPECT_TRUE(x >= 24 && x <= 278 && y >= 24 && y <= 63) << "lettering outside its band at " << x << "," << y;
                ASSERT_EQ(dim.pixel(x, y), kTitleGreen) << "lettering changed at " << x << "," << y;
            }
    EXPECT_GT(lettering, 1000) << "the name is missing or not in its green";

    // Rivet centres keep their colour.
    for (const auto& [x, y] : {std::pair{10, 10}, {290, 10}, {10, 81}, {290, 81}})
        EXPECT_EQ(dim.pixel(x, y), bright.pixel(x, y)) << "rivet at " << x << "," << y;

    // Bare plate on the left, in the middle and on the right, above and below the name.
    for (const auto& [x, y] : {std::pair{40, 15}, {150, 15}, {260, 15}, {40, 74}, {150, 74}, {260, 74}, {15, 45}, {285, 45}}) {
        const double ratio = double(brightness(dim.pixel(x, y))) / brightness(bright.pixel(x, y));
        EXPECT_NEAR(ratio, 2.0 / 3.0, 0.04) << "plate at " << x << "," << y;
    }
}

TEST(Artwork, titlePlateRunsFromYellowOnTheLeftThroughPinkToPaleBlueOnTheRight)
{
    const Surface bright = loadArt("title_a.png");
    const auto red = [&](int x, int y) { return int(bright.pixel(x, y) >> 16 & 0xFF); };
    const auto green = [&](int x, int y) { return int(bright.pixel(x, y) >> 8 & 0xFF); };
    const auto blue = [&](int x, int y) { return int(bright.pixel(x, y) & 0xFF); };
    EXPECT_GT(red(14, 45), blue(14, 45) + 80) << "left is not yellow";
    EXPECT_GT(green(14, 45), blue(14, 45) + 80) << "left is not yellow";
    EXPECT_GT(red(150, 12), green(150, 12) + 40) << "middle is not pink";
    EXPECT_GT(blue(286, 45), red(286, 45) + 40) << "right is not pale blue";
}

TEST(Artwork, leverStandsOnLightGreyUnderADarkKnob)
{
    const Surface lever = loadArt("lever.png");
    EXPECT_EQ(lever.pixel(2, 100), 0xC0C0C0u);
    EXPECT_EQ(lever.pixel(38, 100), 0xC0C0C0u);
    EXPECT_LT(brightness(lever.pixel(20, 28)), 3 * 0x40) << "knob";
    EXPECT_GT(brightness(lever.pixel(18, 100)), 3 * 0x80) << "steel rod";
}

} // namespace
