#include "game/GameFixture.h"

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
    std::string record(const std::string& score) { return "\"abc\"\r\n\"" + score + "\"\r\n"; }
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
        std::filesystem::remove(scoreFile.path());
        if (!c.stored.empty())
            writeRecord(record(c.stored));
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
        std::filesystem::remove(scoreFile.path());
        if (!c.stored.empty())
            writeRecord(record(c.stored));
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
    writeRecord(record("5000"));
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
        writeRecord(record(c.stored));
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

TEST_F(EndOfGameFixture, theRecordIsReadAgainAtTheEndOfEveryGame)
{
    writeRecord(record("100"));
    game.startUp(directory.path());
    writeRecord(record("9000"));
    finishGameWithScore(4000);
    ASSERT_EQ(view.events.size(), 1u);
    EXPECT_EQ(view.events[0].rfind("champion 4000", 0), 0u);
}

TEST_F(EndOfGameFixture, aDamagedRecordIsReportedAndCountsAsNoRecord)
{
    // A negative best is damage too: since lower is better, no game could ever beat it.
    for (const std::string stored : {"abc", "-5", "-1"}) {
        writeRecord(record(stored));
        view.events.clear();
        finishGameWithScore(4970);
        ASSERT_EQ(view.events.size(), 2u) << stored;
        EXPECT_EQ(view.events[0].rfind("problem ", 0), 0u);
        EXPECT_NE(view.events[0].find(scoreFile.path()), std::string::npos) << "the message names the file";
        EXPECT_NE(view.events[0].find("「" + stored + "」"), std::string::npos) << view.events[0];
        EXPECT_EQ(view.events[1].rfind("champion 4970", 0), 0u) << stored;
        std::ifstream file(scoreFile.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, record(stored)) << "reading never touches the file";
    }
}

} // namespace
