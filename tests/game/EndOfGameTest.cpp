#include "game/GameFixture.h"

#include <functional>

namespace {

struct EndOfGameFixture : GameFixture {
    // Plays a whole game whose score is `ms`: the first stop answered after ms, the rest at once.
    void finishGameWithScore(int ms)
    {
        game.start();
        for (int stop = 0; stop < 10; ++stop) {
            runToStop();
            clock.advanceMilliseconds(stop == 0 ? ms : 0);
            game.KeyClick(keyFor(target()));
        }
        ASSERT_TRUE(game.state().bolEnd);
    }
};

TEST_F(EndOfGameFixture, aScoreBelowTheStoredBestOrAnyScoreAgainstNoRecordIsANewRecord)
{
    struct Case {
        std::string stored;  // empty: no file
        int score;
        bool record;
    };
    const Case cases[] = {
        {"5000", 4970, true}, {"5000", 5000, false}, {"5000", 5001, false}, {"0", 99999, true},
        {"", 4970, true},     {"1234.5", 1234, false}, {"1234.5", 1233, true}, {"1235.5", 1236, false},
        {"1235.5", 1235, true},
    };
    for (const Case& c : cases) {
        store.holdsNothing();
        if (!c.stored.empty())
            store.holds("abc", c.stored);
        view.events.clear();
        log.clear();
        finishGameWithScore(c.score);
        const std::string scoreText = std::to_string(c.score);
        const std::string expected = c.record ? "champion " + scoreText + " おめでとう！！　　過去最高スコアです。"
                                              : "message あなたのスコア　" + scoreText;
        EXPECT_EQ(view.events, std::vector<std::string>{expected}) << "stored " << c.stored << " score " << c.score;
        const bool goalPlayed = std::find(log.begin(), log.end(), "goal Play") != log.end();
        EXPECT_EQ(goalPlayed, c.record);
    }
}

// A record still waiting in its windows for a name or an OK is not in the file yet; a worse game
// must not take its place there.
TEST_F(EndOfGameFixture, aRecordWaitingToBeSignedIsReplacedOnlyByABetterScore)
{
    struct Case {
        std::string stored;  // empty: no file
        std::string waiting;
        int score;
        bool record;
    };
    const Case cases[] = {
        {"5000", "4000", 3999, true}, {"5000", "4000", 4000, false}, {"5000", "4000", 4500, false},
        {"", "4000", 6000, false},    {"", "4000", 3000, true},      {"0", "4000", 4001, false},
    };
    for (const Case& c : cases) {
        store.holdsNothing();
        if (!c.stored.empty())
            store.holds("abc", c.stored);
        view.waitingRecord = c.waiting;
        view.events.clear();
        finishGameWithScore(c.score);
        const std::string scoreText = std::to_string(c.score);
        const std::string expected = c.record ? "champion " + scoreText + " おめでとう！！　　過去最高スコアです。"
                                              : "message あなたのスコア　" + scoreText;
        EXPECT_EQ(view.events, std::vector<std::string>{expected})
            << "stored " << c.stored << " waiting " << c.waiting << " score " << c.score;
    }
}

TEST_F(EndOfGameFixture, aNewRecordStopsTheMusicAndPlaysTheGoalAfterOpeningTheNameEntry)
{
    store.holds("abc", "5000");
    game.start();
    for (int stop = 0; stop < 9; ++stop) {
        runToStop();
        game.KeyClick(keyFor(target()));
    }
    runToStop();
    log.clear();
    game.KeyClick(keyFor(target()));
    EXPECT_EQ(log, (std::vector<std::string>{"bgm Stop", "goal Stop", "goal Prev", "goal Play"}));
    EXPECT_EQ(view.caption(MainLabel::Kaisu), "Let's Start");
    EXPECT_EQ(view.caption(MainLabel::Type), target());
}

TEST_F(EndOfGameFixture, theNameEntryOpensBeforeTheGoalAndLetsStartIsWrittenOnlyAfterTheScoreBoxCloses)
{
    // Window requests and sounds in one log, with the stops-left caption at each request.
    view.onEvent = [this](const std::string& event) {
        log.push_back(event.substr(0, event.find(' ')) + " over " + view.caption(MainLabel::Kaisu));
    };
    struct Case {
        const char* stored;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"5000", {"champion over あと0回", "bgm Stop", "goal Stop", "goal Prev", "goal Play"}},
        {"50", {"message over あと0回"}},
    };
    for (const Case& c : cases) {
        store.holds("abc", c.stored);
        game.start();
        for (int stop = 0; stop < 10; ++stop) {
            runToStop();
            if (stop == 9)
                log.clear();
            clock.advanceMilliseconds(10);
            game.KeyClick(keyFor(target()));
        }
        EXPECT_EQ(log, c.expected) << "stored " << c.stored;
        EXPECT_EQ(view.caption(MainLabel::Kaisu), "Let's Start");
    }
}

// The comparison uses the record as it is on file when the game ends, read afresh each time:
// another copy of the program, or the best-score window, may have changed it meanwhile.
TEST_F(EndOfGameFixture, theRecordIsReadAgainAtTheEndOfEveryGameAndOnlyThen)
{
    struct Step {
        const char* what;
        std::function<void()> change;  // what happens to the stored record before the game ends
        std::string outcome;
    };
    const Step steps[] = {
        {"a worse record stored after start-up", [this] { store.holds("abc", "9000"); }, "champion 4000"},
        {"a better one stored since the last game", [this] { store.holds("abc", "100"); }, "message"},
        {"the record gone", [this] { store.holdsNothing(); }, "champion 4000"},
        {"a damaged record", [this] { store.holdsDamage("damaged"); }, "problem damaged"},
    };
    store.holds("abc", "100");
    game.startUp("/opt/zumikko");
    ASSERT_EQ(store.reads, 1);
    int reads = store.reads;
    for (const Step& step : steps) {
        step.change();
        view.events.clear();
        finishGameWithScore(4000);
        ASSERT_FALSE(view.events.empty()) << step.what;
        EXPECT_EQ(view.events[0].rfind(step.outcome, 0), 0u) << step.what << ": " << view.events[0];
        EXPECT_EQ(store.reads, ++reads) << step.what << ": one read per game, at its end";
    }
    EXPECT_TRUE(store.writes.empty()) << "ending a game never saves";
}

TEST_F(EndOfGameFixture, aDamagedRecordIsReportedAndCountsAsNoRecord)
{
    store.holdsDamage("score.dat の2行目のスコア「-5」が負の数です。");
    finishGameWithScore(4970);
    EXPECT_EQ(view.events, (std::vector<std::string>{"problem score.dat の2行目のスコア「-5」が負の数です。",
                                                     "champion 4970 おめでとう！！　　過去最高スコアです。"}));
}

} // namespace
