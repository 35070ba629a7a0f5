#include "game/Reel.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeGameView.h"
#include "fakes/ScriptedRandom.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kOrange = 0xFF8040;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// A strip with the real one's size and 832-column repetition; which columns carry "letter"
// pixels is arbitrary but irregular, so a shifted draw cannot look the same.
bool isLetterColumn(int column) { return (column % 832) % 7 < 3 || (column % 832) % 29 == 0; }

struct ReelFixture : ::testing::Test {
    ReelFixture()
    {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 957; ++x) {
                const bool letter = y >= 4 && isLetterColumn(x);
                strip.setPixel(x, y, letter ? kOrange : kWhite);
                mask.setPixel(x, y, letter ? kWhite : 0x000000);
            }
        state.intWait = 5;
    }

    // What a settled reel window shows at offset x: orange letters on black.
    std::uint32_t settledPixel(int offset, int column, int row) const
    {
        return row >= 4 && isLetterColumn(offset + column) ? kOrange : 0x000000;
    }

    Surface strip{957, 32};
    Surface mask{957, 32};
    Surface window{137, 33, kWhite};
    GameState state;
    ScriptedRandom random;
    FakeClock clock;
    FakeGameView view{clock};
    Reel reel{state, window, strip, mask, random, view};
};

TEST_F(ReelFixture, firstFrameOnTheFreshWindowIsLighterThenSettlesToOrangeOnBlack)
{
    state.intReelX = 100;
    reel.DrawReel();
    // White background ORed with orange stays white; background pixels turn black.
    EXPECT_EQ(window.pixel(0, 10), isLetterColumn(100) ? kWhite : 0u);
    for (int c = 0; c < 137; ++c) {
        if (!isLetterColumn(100 + c)) {
            ASSERT_EQ(window.pixel(c, 10), 0u) << c;
        }
    }

    // Once every column has passed through black, letters are orange on black.
    for (int i = 0; i < 60; ++i)
        reel.DrawReel();
    const int drawnAt = state.intReelX - 4;
    for (int row = 0; row < 31; ++row)
        for (int c = 0; c < 137; ++c)
            ASSERT_EQ(window.pixel(c, row), settledPixel(drawnAt, c, row)) << c << "," << row;
}

TEST_F(ReelFixture, theTwoBottomRowsOfTheWindowAreNeverDrawn)
{
    for (int i = 0; i < 300; ++i)
        reel.DrawReel();
    for (int c = 0; c < 137; ++c) {
        EXPECT_EQ(window.pixel(c, 31), kWhite);
        EXPECT_EQ(window.pixel(c, 32), kWhite);
    }
}

TEST_F(ReelFixture, offsetsNearTheEndOfTheStripShowItsRepetitionInTheRightHandColumns)
{
    for (const int offset : {821, 824, 828, 832, 843}) {
        window.fill(0x000000);
        state.intReelX = static_cast<std::int16_t>(offset);
        reel.DrawReel();
        for (int c = 0; c < 137; ++c)
            ASSERT_EQ(window.pixel(c, 20), settledPixel(offset, c, 20)) << "offset " << offset << " column " << c;
    }
}

TEST_F(ReelFixture, offsetAdvancesByFourAndWrapsAfterDrawing832)
{
    state.intReelX = 828;
    reel.DrawReel();
    EXPECT_EQ(state.intReelX, 832);
    reel.DrawReel();
    EXPECT_EQ(state.intReelX, 0);

    // After a stop at index 25 the reel resumes from 811 and wraps after 831.
    state.intReelX = 811;
    std::vector<int> drawn;
    while (state.intReelX != 0) {
        drawn.push_back(state.intReelX);
        reel.DrawReel();
    }
    EXPECT_EQ(drawn.front(), 811);
    EXPECT_EQ(drawn.back(), 831);
    EXPECT_EQ(drawn.size(), 6u);
}

TEST_F(ReelFixture, aTickWithoutAHitChangesNothing)
{
    state.intReelX = 200;
    random.script = {0.05, 0.99};  // n = 2 and n = 20: no hit
    reel.CheckStop();
    reel.CheckStop();
    EXPECT_EQ(state.intWait, 5);
    EXPECT_EQ(state.intReelX, 200);
    EXPECT_FALSE(state.bolStop);
    EXPECT_EQ(random.reseeds, 0);
    EXPECT_TRUE(random.script.empty());
}

TEST_F(ReelFixture, aTickHitsExactlyWhenTheRandomNumberIsBelowOneTwentieth)
{
    struct Case {
        double r;
        bool hit;
    };
    const Case cases[] = {{0.0, true}, {0.0499999, true}, {0.05, false}, {0.0500001, false}, {0.5, false}, {0.9999999, false}};
    for (const Case& c : cases) {
        state.intWait = 5;
        random.script = {c.r};
        reel.CheckStop();
        EXPECT_EQ(state.intWait, c.hit ? 9 : 5) << "r = " << c.r;
    }
}

TEST_F(ReelFixture, everyDrawnTickAsksForTheReelToBeShownAndAStopShowsItAtOnceOnce)
{
    for (int tick = 1; tick <= 3; ++tick) {
        reel.DrawReel();
        reel.CheckStop();
        EXPECT_EQ(view.reelChanges, tick);
    }
    EXPECT_EQ(view.presents, 0) << "a running reel is shown on the next paint, not at once";
    state.intWait = 37;
    random.queueHits(1);
    reel.CheckStop();
    EXPECT_EQ(view.presents, 1);
}

TEST_F(ReelFixture, eightHitsSlowTheReelStepByStepAndTheNinthStopsIt)
{
    state.intReelX = 200;
    for (const int expected : {9, 13, 17, 21, 25, 29, 33, 37}) {
        random.queueHits(1);
        reel.CheckStop();
        EXPECT_EQ(state.intWait, expected);
        EXPECT_FALSE(state.bolStop);
        EXPECT_EQ(state.intReelX, 200) << "a slow-down does not move the strip";
    }
    EXPECT_EQ(random.reseeds, 8);

    random.queueHits(1);
    reel.CheckStop();
    EXPECT_TRUE(state.bolStop);
    EXPECT_EQ(state.intWait, 5);
    EXPECT_EQ(state.intCount, 1);
    EXPECT_EQ(random.reseeds, 9);
}

TEST_F(ReelFixture, stopPicksTheLetterUnderTheMarkerAndSnapsTheStripToIt)
{
    struct Case {
        int offset;
        const char* letter;
        int snapped;
    };
    const Case cases[] = {
        {0, "C", 11},    {31, "C", 11},   {32, "D", 43},   {63, "D", 43},  {400, "O", 395},
        {768, "A", 779}, {800, "B", 811}, {831, "B", 811}, {832, "C", 11},
    };
    for (const Case& c : cases) {
        window.fill(0x000000);
        state.intReelX = static_cast<std::int16_t>(c.offset);
        state.intWait = 37;
        state.bolStop = false;
        random.queueHits(1);
        reel.CheckStop();
        EXPECT_EQ(state.strTarget, c.letter) << "offset " << c.offset;
        EXPECT_EQ(state.intReelX, c.snapped) << "offset " << c.offset;
        // The stop redraws at the snapped offset.
        for (int column = 0; column < 137; ++column)
            ASSERT_EQ(window.pixel(column, 20), settledPixel(c.snapped, column, 20)) << "offset " << c.offset;
    }
}

TEST_F(ReelFixture, stopLetterTableStartsAtCAndWraps)
{
    EXPECT_EQ(Reel::stopLetter(0), "C");
    EXPECT_EQ(Reel::stopLetter(23), "Z");
    EXPECT_EQ(Reel::stopLetter(24), "A");
    EXPECT_EQ(Reel::stopLetter(25), "B");
}

TEST_F(ReelFixture, aStopKeepsThePreviousStopsLetterAndMomentForKeysPressedBeforeIt)
{
    state.strTarget = "Q";
    state.lngStart = 777;
    state.intWait = 37;
    random.queueHits(1);
    reel.CheckStop();
    EXPECT_EQ(state.strPreviousTarget, "Q");
    EXPECT_EQ(state.lngPreviousStart, 777);
    EXPECT_EQ(state.lngStart, clock.nowMicroseconds());
}

TEST_F(ReelFixture, stopTimeIsTakenAfterTheStoppedReelIsOnScreen)
{
    std::int64_t shownAt = 0;
    view.onPresent = [&] {
        clock.advanceMilliseconds(3);
        shownAt = clock.nowMicroseconds();
    };
    state.intWait = 37;
    random.queueHits(1);
    reel.CheckStop();
    EXPECT_EQ(view.presents, 1);
    EXPECT_EQ(state.lngStart, shownAt);
}

TEST_F(ReelFixture, captionCountsTheStopsLeftDownToZero)
{
    for (int stop = 1; stop <= 10; ++stop) {
        state.intWait = 37;
        random.queueHits(1);
        reel.CheckStop();
        EXPECT_EQ(view.caption(MainLabel::Kaisu), "あと" + std::to_string(10 - stop) + "回");
    }
    EXPECT_EQ(view.caption(MainLabel::Kaisu), "あと0回");
}

} // namespace
