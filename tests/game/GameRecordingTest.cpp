#include "game/GameFixture.h"

#include "fakes/RecordingGameHistory.h"

namespace {

struct GameRecording : GameFixture {
    GameRecording()
    {
        game.recordInto(&history);
        history.onRecord = [this] { view.events.push_back("history"); };
    }
    RecordingGameHistory history;
};

TEST_F(GameRecording, aFinishedGameIsRecordedOnceWithEveryStopBeforeTheEndOfGameWindowOpens)
{
    // Stop i is answered after 100 + i ms and 1 us; stop 3 has two wrong keys, stop 10 one.
    game.start();
    std::vector<StopResult> expected;
    for (int stop = 1; stop <= 10; ++stop) {
        runToStop();
        const std::string letter = target();
        const int wrong = stop == 3 ? 2 : stop == 10 ? 1 : 0;
        for (int i = 0; i < wrong; ++i)
            game.KeyClick(wrongKeyFor(letter));
        const std::int64_t reactionUs = (100 + stop) * 1000 + 1;
        clock.advanceMicroseconds(reactionUs);
        game.KeyClick(keyFor(letter));
        expected.push_back({letter[0], reactionUs, wrong});
    }

    ASSERT_EQ(history.games.size(), 1u);
    const FinishedGame& recorded = history.games[0];
    EXPECT_EQ(recorded.stops, expected) << "the tenth reaction is kept although the score leaves it out";
    EXPECT_EQ(std::to_string(recorded.score), score());
    EXPECT_EQ(std::to_string(recorded.misses), misses());
    EXPECT_EQ(recorded.misses, 3);
    ASSERT_EQ(view.events.size(), 2u);
    EXPECT_EQ(view.events[0], "history") << "the game is kept before the score box or name entry opens";

    game.KeyClick(keyFor(target()));
    EXPECT_EQ(history.games.size(), 1u) << "keys after the end record nothing";
}

TEST_F(GameRecording, keysBeforeAStopWasShownCountAtTheStopTheyWereJudgedAtAndOnlyTheFirstRightKeyIsTheReaction)
{
    game.start();
    game.KeyClick('1');  // before the game's first stop: a miss, counted at stop 1
    runToStop();
    const std::string first = target();
    clock.advanceMilliseconds(200);
    game.KeyClick(keyFor(first));
    clock.advanceMilliseconds(50);
    game.KeyClick(keyFor(first));  // again while the reel runs: more score, same reaction
    const std::int64_t betweenStops = clock.nowMicroseconds();
    clock.advanceMilliseconds(10);
    runToStop();
    clock.advanceMilliseconds(300);
    // Pressed before the second stop was on screen: judged against the first.
    game.KeyClick(wrongKeyFor(first), betweenStops);
    game.KeyClick(keyFor(target()));
    for (int stop = 3; stop <= 10; ++stop) {
        runToStop();
        game.KeyClick(keyFor(target()));
    }

    ASSERT_EQ(history.games.size(), 1u);
    const FinishedGame& recorded = history.games[0];
    EXPECT_EQ(recorded.stops[0].reactionUs, 200'000);
    EXPECT_EQ(recorded.stops[0].wrongKeys, 2);
    EXPECT_EQ(recorded.stops[1].reactionUs, 300'000);
    EXPECT_EQ(recorded.stops[1].wrongKeys, 0);
    EXPECT_EQ(recorded.misses, 2);
}

TEST_F(GameRecording, aGameLeftBeforeItsTenthStopIsNotRecordedAndTheNextGameStartsAfresh)
{
    game.start();
    for (int stop = 1; stop <= 5; ++stop) {
        runToStop();
        game.KeyClick(wrongKeyFor(target()));
        game.KeyClick(keyFor(target()));
    }
    game.start();
    for (int stop = 1; stop <= 10; ++stop) {
        runToStop();
        clock.advanceMilliseconds(100);
        game.KeyClick(keyFor(target()));
    }
    ASSERT_EQ(history.games.size(), 1u);
    for (const StopResult& stop : history.games[0].stops) {
        EXPECT_EQ(stop.wrongKeys, 0);
        EXPECT_EQ(stop.reactionUs, 100'000);
    }
}

} // namespace
