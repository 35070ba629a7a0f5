#include "game/GameFixture.h"

#include <algorithm>

namespace {

struct KeyJudging : GameFixture {
    // Stops the reel and answers each stop after `ms`, leaving the game at the given stop.
    void answerStops(int stops, double ms)
    {
        for (int i = 0; i < stops; ++i) {
            runToStop();
            clock.advanceMilliseconds(ms);
            game.KeyClick(keyFor(target()));
        }
    }
    bool startCuePlayed() const { return std::find(log.begin(), log.end(), "start Play") != log.end(); }
};

TEST_F(KeyJudging, wrongKeysAddAMissAndFiveHundredAndTheReelStaysStopped)
{
    game.start();
    runToStop();
    log.clear();
    const std::string letter = target();
    for (const int key : {0x10 /* Shift */, int{'1'}, wrongKeyFor(letter)}) {
        game.KeyClick(key);
        EXPECT_TRUE(game.state().bolStop);
    }
    EXPECT_EQ(misses(), "3");
    EXPECT_EQ(score(), "1500");
    EXPECT_EQ(view.caption(MainLabel::Type), std::string(1, static_cast<char>(wrongKeyFor(letter))));
    EXPECT_TRUE(log.empty()) << "a miss plays no sound";

    game.KeyClick('2');
    EXPECT_EQ(view.caption(MainLabel::Type), "") << "a key without a letter empties the typed box";
}

TEST_F(KeyJudging, rightKeyAddsTheReactionTimeToTheNearestMillisecondPlaysStartAndReleasesTheReel)
{
    game.start();
    answerStops(2, 100);
    runToStop();
    log.clear();
    clock.advanceMicroseconds(250'499);
    game.KeyClick(keyFor(target()));
    EXPECT_EQ(score(), "450");
    EXPECT_EQ(misses(), "0");
    EXPECT_EQ(view.caption(MainLabel::Type), target());
    EXPECT_TRUE(startCuePlayed());
    EXPECT_TRUE(game.reelRunning());
    EXPECT_EQ(game.state().lngTime, 250);

    runToStop();
    clock.advanceMicroseconds(250'500);
    game.KeyClick(keyFor(target()));
    EXPECT_EQ(game.state().lngTime, 251);
}

TEST_F(KeyJudging, theSameRightKeyAgainWhileTheReelScrollsAddsTheTimeSinceTheStopOnceMore)
{
    game.start();
    runToStop();
    const std::string letter = target();
    clock.advanceMilliseconds(300);
    game.KeyClick(keyFor(letter));
    clock.advanceMilliseconds(40);
    log.clear();
    game.KeyClick(keyFor(letter));  // a quick second press, or the key's auto-repeat
    EXPECT_EQ(score(), "640");
    EXPECT_TRUE(startCuePlayed());

    game.KeyClick(wrongKeyFor(letter));
    EXPECT_EQ(misses(), "1") << "any other letter while the reel scrolls is a miss";
}

TEST_F(KeyJudging, beforeThisGamesFirstStopEveryKeyIsAMiss)
{
    // A fresh program: no target yet; a key without a letter must not add the uptime.
    game.start();
    game.KeyClick('1');
    game.KeyClick(0);
    EXPECT_EQ(misses(), "2");
    EXPECT_EQ(score(), "1000");

    // A new game: the previous game's last letter is not a target any more.
    runToStop();
    const std::string leftover = target();
    game.start();
    clock.advanceMilliseconds(60'000);
    game.KeyClick(keyFor(leftover));
    EXPECT_EQ(misses(), "1");
    EXPECT_EQ(score(), "500");
    EXPECT_TRUE(game.reelRunning());
}

TEST_F(KeyJudging, keysOutsideAGameChangeNothing)
{
    game.KeyClick('A');
    EXPECT_EQ(view.caption(MainLabel::Type), "");

    game.start();
    answerStops(10, 200);
    ASSERT_TRUE(game.state().bolEnd);
    const auto captions = view.captions;
    game.KeyClick(keyFor(target()));
    game.KeyClick('1');
    EXPECT_EQ(view.captions, captions);
}

TEST_F(KeyJudging, workedExampleTwoMissesAndTenStopsScoresTheFirstNineTimesPlusPenalties)
{
    writeRecord("\"x\"\r\n\"1\"\r\n");
    game.start();
    const double times[] = {400, 350, 500, 420, 380, 610, 450, 390, 470, 530};
    for (int stop = 0; stop < 10; ++stop) {
        runToStop();
        if (stop == 3 || stop == 9)
            game.KeyClick(wrongKeyFor(target()));
        clock.advanceMilliseconds(times[stop]);
        game.KeyClick(keyFor(target()));
    }
    EXPECT_EQ(misses(), "2");
    EXPECT_EQ(score(), "4970");
}

TEST_F(KeyJudging, rightKeyAtTenthStopEndsGameWithoutAddingTimeAndShowsTheLetterAfterEndGame)
{
    writeRecord("\"x\"\r\n\"1\"\r\n");
    game.start();
    answerStops(9, 100);
    runToStop();
    EXPECT_EQ(view.caption(MainLabel::Kaisu), "あと0回");
    game.KeyClick(wrongKeyFor(target()));
    EXPECT_FALSE(game.state().bolEnd) << "a wrong key at the tenth stop is only a miss";
    log.clear();
    clock.advanceMilliseconds(700);
    game.KeyClick(keyFor(target()));

    EXPECT_TRUE(game.state().bolEnd);
    EXPECT_FALSE(game.state().bolKeyOK);
    EXPECT_TRUE(game.state().bolStop);
    EXPECT_FALSE(game.reelRunning());
    EXPECT_EQ(score(), "1400");
    EXPECT_FALSE(startCuePlayed());
    EXPECT_EQ(view.events, (std::vector<std::string>{"message あなたのスコア　1400"}));
    EXPECT_EQ(view.caption(MainLabel::Kaisu), "Let's Start");
    EXPECT_EQ(view.caption(MainLabel::Type), target());
}

} // namespace
