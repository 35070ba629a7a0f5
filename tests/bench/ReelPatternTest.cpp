#include "bench/reaction_accuracy/ReelPattern.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeGameView.h"
#include "fakes/ScriptedRandom.h"
#include "game/Reel.h"
#include "platform/SurfaceImage.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// The benchmark reads the reel window as the X server shows it; here the game itself draws it,
// with the real artwork, so the benchmark's idea of offsets and stop letters is the game's.
struct ReelPatternFixture : ::testing::Test {
    static Surface artwork(const char* name) { return surfaceFromImage(QImage(QStringLiteral(":/art/") + name)); }

    std::vector<std::uint32_t> picture() const
    {
        std::vector<std::uint32_t> columns(ReelPattern::kWidth, 0);
        for (int x = 0; x < ReelPattern::kWidth; ++x)
            for (int y = 0; y < ReelPattern::kRows; ++y)
                if (window.pixel(x, y) != 0)
                    columns[x] |= 1u << y;
        return columns;
    }

    ReelPattern pattern = ReelPattern::fromMaskFile(":/art/mask.png");
    Surface strip = artwork("abc.png");
    Surface mask = artwork("mask.png");
    Surface window{137, 33, 0xFFFFFF};
    GameState state;
    ScriptedRandom random;
    FakeClock clock;
    FakeGameView view;
    Reel reel{state, window, strip, mask, random, view};
};

TEST_F(ReelPatternFixture, everyStopIsReadAtItsSnappedOffsetWithTheGamesTargetLetter)
{
    // Drawn offsets that lead to each of the 26 stops from the start, the middle and the end of
    // a cell, and 828, whose advance to 832 stops on the strip's repeated start.
    std::vector<int> drawnOffsets{828};
    for (int index = 0; index < 26; ++index)
        for (const int within : {-4, 11, 27})
            if (index * 32 + within >= 0)
                drawnOffsets.push_back(index * 32 + within);
    for (const int drawn : drawnOffsets) {
        state.intReelX = static_cast<std::int16_t>(drawn);
        state.intWait = 37;
        reel.DrawReel();
        random.queueHits(1);
        reel.CheckStop();
        ASSERT_TRUE(state.bolStop) << drawn;

        const ReelPattern::Match where = pattern.locate(picture());
        EXPECT_EQ(where.offset, state.intReelX) << "drawn at " << drawn;
        EXPECT_EQ(where.wrongPixels, 0) << "drawn at " << drawn;
        EXPECT_TRUE(ReelPattern::isStopOffset(where.offset)) << "drawn at " << drawn;
        EXPECT_EQ(std::string(1, ReelPattern::stopLetter(where.offset)), state.strTarget) << "drawn at " << drawn;
        state.bolStop = false;
    }
}

TEST_F(ReelPatternFixture, scrollingFramesAreReadAtTheirOffsetOnAFreshAndOnASettledWindow)
{
    // From 0 the reel runs through multiples of 4; after a stop through index * 32 + 11 + 4k,
    // which passes stop offsets while it scrolls. The first frame on the white window shows
    // white letters, later ones orange: both read the same.
    for (const int start : {0, 11, 811}) {
        window.fill(0xFFFFFF);
        state.intReelX = static_cast<std::int16_t>(start);
        for (int tick = 0; tick < 250; ++tick) {
            const int drawn = state.intReelX;
            reel.DrawReel();
            const ReelPattern::Match where = pattern.locate(picture());
            ASSERT_EQ(where.offset, drawn % ReelPattern::kPeriod) << "start " << start << " tick " << tick;
            ASSERT_EQ(where.wrongPixels, 0) << "start " << start << " tick " << tick;
        }
    }
}

TEST_F(ReelPatternFixture, aPictureOffByAFewPixelsIsStillPlacedButCountsTheMismatch)
{
    state.intReelX = 300;
    reel.DrawReel();
    std::vector<std::uint32_t> seen = picture();
    seen[5] ^= 0x7;   // a partly drawn column
    seen[90] = 0;
    const ReelPattern::Match where = pattern.locate(seen);
    EXPECT_EQ(where.offset, 300);
    EXPECT_GT(where.wrongPixels, 0);
}

} // namespace
