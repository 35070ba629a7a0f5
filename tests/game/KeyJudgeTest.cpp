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
    store.holds("x", "1");
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
    store.holds("x", "1");
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

TEST_F(KeyJudging, aRightKeyCountsFromTheMomentItWentDownNotFromWhenItIsHandled)
{
    game.start();
    runToStop();
    const std::int64_t stoppedAt = game.state().lngStart;
    // The key went down 250 ms after the stop and waited 150 ms in a busy event queue.
    clock.advanceMilliseconds(400);
    game.KeyClick(keyFor(target()), stoppedAt + 250'000);
    EXPECT_EQ(score(), "250");
    EXPECT_EQ(game.state().lngEnd, stoppedAt + 250'000);
}

TEST_F(KeyJudging, aKeyPressedBeforeTheStopWasOnScreenIsJudgedAsAKeyBeforeThatStop)
{
    struct Case {
        const char* what;
        bool previousLetter;  // else the letter of the stop now on screen
        bool firstStopOfTheGame;
        const char* misses;
        const char* score;  // after a first stop answered in 300 ms where there was one
        bool startCue;
    };
    const Case cases[] = {
        {"the new stop's letter, not yet visible when pressed, is a miss", false, false, "1", "800", false},
        {"the previous stop's letter counts again from that stop", true, false, "0", "1300", true},
        {"before the game's first stop there is nothing to hit", false, true, "1", "500", false},
    };
    for (const Case& c : cases) {
        game.start();
        std::string previous;
        std::int64_t previousAt = 0;
        if (!c.firstStopOfTheGame) {
            runToStop();
            previous = target();
            previousAt = game.state().lngStart;
            clock.advanceMilliseconds(300);
            game.KeyClick(keyFor(previous));
        }
        // Make the next stop land on another letter than the previous one, so the cases differ.
        for (int tries = 0; tries < 50; ++tries) {
            runToStop();
            if (target() != previous)
                break;
            game.KeyClick(keyFor(previous));
        }
        ASSERT_NE(target(), previous);
        const std::int64_t shownAt = game.state().lngStart;
        log.clear();
        const std::string letter = c.previousLetter ? previous : target();
        // Pressed 2 ms before the stop was on screen, handled after it.
        clock.advanceMilliseconds(5);
        const std::int64_t pressedAt = shownAt - 2'000;
        const std::string before = score();
        game.KeyClick(keyFor(letter), pressedAt);

        EXPECT_EQ(misses(), c.misses) << c.what;
        if (c.previousLetter) {
            const std::int64_t expected = (pressedAt - previousAt + 500) / 1000;
            EXPECT_EQ(std::stoll(score()) - std::stoll(before), expected) << c.what;
        } else {
            EXPECT_EQ(score(), c.score) << c.what;
        }
        EXPECT_TRUE(game.state().bolStop) << c.what << ": the stop on screen still waits for its key";
        EXPECT_EQ(startCuePlayed(), c.startCue) << c.what;
        EXPECT_EQ(view.caption(MainLabel::Type), letter) << c.what;
    }
}

// A key pressed just before a stop is shown belongs to the stop before it, but only within the
// same game, and only the tenth stop's own key ends the game.
TEST_F(KeyJudging, aKeyJustBeforeAStopIsShownIsJudgedWithinThisGameOnly)
{
    struct Case {
        const char* what;
        int stopsAnsweredBefore;  // in this game, before the stop that is about to be shown
        const char* misses;
    };
    const Case cases[] = {
        {"the previous game's last letter before this game's first stop is a miss", 0, "1"},
        {"the ninth stop's letter just before the tenth stop counts for the ninth", 9, "0"},
    };
    for (const Case& c : cases) {
        // A previous game left its last letter behind.
        game.start();
        runToStop();
        game.start();
        for (int i = 0; i < c.stopsAnsweredBefore; ++i) {
            runToStop();
            clock.advanceMilliseconds(200);
            game.KeyClick(keyFor(target()));
        }
        runToStop();
        const std::string earlier = game.state().strPreviousTarget;
        ASSERT_FALSE(earlier.empty()) << c.what;
        const std::string before = score();
        clock.advanceMilliseconds(5);
        game.KeyClick(keyFor(earlier), game.state().lngStart - 2'000);

        EXPECT_EQ(misses(), c.misses) << c.what;
        if (c.stopsAnsweredBefore == 0)
            EXPECT_EQ(std::stoll(score()), std::stoll(before) + 500) << c.what;
        else
            EXPECT_GT(std::stoll(score()), std::stoll(before)) << c.what << ": the time since the ninth stop";
        EXPECT_FALSE(game.state().bolEnd) << c.what;
        EXPECT_TRUE(game.state().bolKeyOK) << c.what;
        EXPECT_TRUE(game.state().bolStop) << c.what << ": the stop on screen still waits for its key";
        EXPECT_TRUE(view.events.empty()) << c.what << ": no end-of-game window";
    }
}

TEST_F(KeyJudging, untilTheDisplayServerHasStampedTheStopEveryKeyWasPressedBeforeIt)
{
    FakeGameView unstamped;  // its stops are not stamped at once
    Game game2{unstamped, sounds, clock, random, store, {window, strip, mask}};
    game2.start();
    random.queueHits(9);
    while (game2.reelRunning())
        game2.reelTick();
    ASSERT_EQ(game2.state().lngStart, GameState::kNotShownYet);
    const std::string letter = game2.state().strTarget;
    game2.KeyClick(letter[0], clock.nowMicroseconds());
    EXPECT_EQ(unstamped.caption(MainLabel::Miss), "1");
    EXPECT_TRUE(game2.state().bolStop);

    const std::int64_t shownAt = clock.nowMicroseconds();
    game2.stopShown(shownAt);
    game2.stopShown(shownAt + 9'000);  // only the first stamp of a stop counts
    EXPECT_EQ(game2.state().lngStart, shownAt);
    game2.KeyClick(letter[0], shownAt + 180'000);
    EXPECT_EQ(unstamped.caption(MainLabel::Miss), "1");
    EXPECT_EQ(unstamped.caption(MainLabel::Score), "680");
    EXPECT_FALSE(game2.state().bolStop);
}

TEST_F(KeyJudging, aKeyStampedEarlierThanTheStopItIsJudgedAgainstNeverTakesTimeOffTheScore)
{
    game.start();
    runToStop();
    const std::string letter = target();
    const std::int64_t first = game.state().lngStart;
    clock.advanceMilliseconds(200);
    game.KeyClick(keyFor(letter));
    // The next stop, and the first stop's letter stamped even before the first stop.
    runToStop();
    const std::string before = score();
    game.KeyClick(keyFor(letter), first - 50'000);
    EXPECT_EQ(score(), before);
    EXPECT_EQ(misses(), "0");
}

} // namespace
