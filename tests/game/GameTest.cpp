#include "game/GameFixture.h"

#include <algorithm>

namespace {

using GameLoop = GameFixture;

int countOf(const std::vector<std::string>& log, const std::string& entry)
{
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

TEST_F(GameLoop, startUpOpensTheDevicesThenReadsTheRecordAndPlaysNothing)
{
    store.holds("abc", "1234");
    game.startUp("/opt/zumikko");
    EXPECT_EQ(log.size(), 8u);
    EXPECT_EQ(log.back(), "goal Open");
    EXPECT_EQ(game.state().strBestScore, "1234");
    EXPECT_EQ(countOf(log, "start Play") + countOf(log, "kaiten Play"), 0);
}

TEST_F(GameLoop, beforeTheFirstStartNothingMovesAndNothingIsDrawn)
{
    const Surface before = window;
    for (const int key : {int{'A'}, int{'K'}, int{'1'}, 0})
        game.KeyClick(key);
    game.reelTick();
    EXPECT_FALSE(game.reelRunning());
    EXPECT_EQ(window, before);
    EXPECT_EQ(game.state().intReelX, 0);
    EXPECT_EQ(view.caption(MainLabel::Type), "");
    EXPECT_EQ(score(), "0");
    EXPECT_TRUE(log.empty());
}

TEST_F(GameLoop, startResetsTheCaptionsPlaysStartAndMusicAndRunsTheReelAtFullSpeed)
{
    view.captions[MainLabel::Score] = "4970";
    view.captions[MainLabel::Miss] = "2";
    view.captions[MainLabel::Type] = "K";
    game.start();
    EXPECT_EQ(view.caption(MainLabel::Kaisu), "あと10回");
    EXPECT_EQ(score(), "0");
    EXPECT_EQ(misses(), "0");
    EXPECT_EQ(view.caption(MainLabel::Type), "K") << "the start leaves the typed letter alone";
    EXPECT_EQ(log, (std::vector<std::string>{"start Stop", "start Prev", "start Play", "goal Stop", "bgm Stop",
                                             "bgm Prev", "bgm Play"}));
    EXPECT_TRUE(game.reelRunning());
    EXPECT_EQ(game.tickDelayMs(), 5);
}

TEST_F(GameLoop, rotationSoundRestartsOnTheFirstAndEveryFourthReelTickAcrossStopsAndGames)
{
    game.start();
    std::vector<int> restartTicks;
    int tick = 0;
    auto runTicks = [&](int count) {
        for (int i = 0; i < count && game.reelRunning(); ++i) {
            log.clear();
            game.reelTick();
            ++tick;
            if (countOf(log, "kaiten Play") == 1)
                restartTicks.push_back(tick);
        }
    };
    runTicks(6);                       // ticks 1-6
    random.queueHits(9);
    runTicks(9);                       // ticks 7-15, the last one stops the reel
    ASSERT_TRUE(game.state().bolStop);
    game.reelTick();                   // a stopped reel does not tick
    game.start();                      // a new game does not reset the count
    runTicks(6);                       // ticks 16-21
    EXPECT_EQ(restartTicks, (std::vector<int>{1, 5, 9, 13, 17, 21}));
}

TEST_F(GameLoop, startInTheMiddleOfAStopAbandonsItAndTheReelRunsOnFromWhereItStands)
{
    game.start();
    runToStop();
    const std::string abandoned = target();
    const auto offset = game.state().intReelX;
    game.start();
    EXPECT_TRUE(game.reelRunning());
    EXPECT_EQ(game.state().intReelX, offset);
    EXPECT_EQ(game.state().strTarget, abandoned);
    EXPECT_EQ(game.state().intCount, 0);
}

TEST_F(GameLoop, theStopTickLeavesTheFullSpeedDelay)
{
    game.start();
    random.queueHits(8);
    for (int i = 0; i < 8; ++i)
        game.reelTick();
    EXPECT_EQ(game.tickDelayMs(), 37);
    random.queueHits(1);
    game.reelTick();
    EXPECT_EQ(game.tickDelayMs(), 5);
    EXPECT_FALSE(game.reelRunning());
}

} // namespace
