#include "results/HistoryRecorder.h"
#include "results/HistoryStore.h"

#include "fakes/TemporaryDirectory.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

namespace {

FinishedGame gameScoring(std::int64_t score)
{
    FinishedGame game{0, 0, score, 0, {}};
    for (int stop = 0; stop < 10; ++stop)
        game.stops.push_back({static_cast<char>('A' + stop), 300'000, 0});
    return game;
}

struct HistoryRecorderTest : ::testing::Test {
    std::string path() const { return directory.path() + "/history.sqlite3"; }
    // "score@minute" for each game in the file, in the order written.
    std::string stored() const
    {
        SQLite::Database database(path(), SQLite::OPEN_READONLY);
        return database.execAndGet("SELECT coalesce(group_concat(score || '@' || finished_at_ms || '/' || "
                                   "utc_offset_min, ' '), '') FROM (SELECT * FROM games ORDER BY id)")
            .getString();
    }
    // Another program holding the history's write lock, as `sqlite3` with BEGIN EXCLUSIVE does.
    void holdLock()
    {
        other = std::make_unique<SQLite::Database>(path(), SQLite::OPEN_READWRITE);
        other->exec("BEGIN EXCLUSIVE");
    }
    void releaseLock() { other.reset(); }

    TemporaryDirectory directory;
    HistoryStore store{path(), "20260101-000000"};
    std::int64_t minute = 0;
    std::vector<std::string> messages;
    int recorded = 0;
    HistoryRecorder recorder{store, [this] { return WallTime{++minute, 540}; },
                             [this](const std::string& message) { messages.push_back(message); },
                             [this] { ++recorded; }};
    std::unique_ptr<SQLite::Database> other;
};

// A game that meets a lock waits, is told about once, and goes into the file, in its place,
// with the next game that ends once the lock is gone.
TEST_F(HistoryRecorderTest, aGameThatMeetsALockIsWrittenWithTheNextGame)
{
    ASSERT_TRUE(store.usable()) << store.problem();
    recorder.recordFinishedGame(gameScoring(1000));
    holdLock();
    recorder.recordFinishedGame(gameScoring(2000));
    recorder.recordFinishedGame(gameScoring(3000));
    ASSERT_EQ(messages.size(), 1u) << "one message while the lock lasts";
    EXPECT_NE(messages[0].find(path()), std::string::npos);
    EXPECT_NE(messages[0].find("もう一度保存します"), std::string::npos) << messages[0];
    EXPECT_EQ(recorder.unsavedGames().size(), 2u);
    releaseLock();
    EXPECT_EQ(stored(), "1000@1/540");

    recorder.recordFinishedGame(gameScoring(4000));
    EXPECT_EQ(stored(), "1000@1/540 2000@2/540 3000@3/540 4000@4/540");
    EXPECT_TRUE(recorder.unsavedGames().empty());
    EXPECT_EQ(recorded, 4);
    EXPECT_EQ(recorder.finish(), std::nullopt);
    EXPECT_EQ(messages.size(), 1u);
}

// At the end of the run the waiting games get one more try; only those that still cannot be
// written are said to be lost.
TEST_F(HistoryRecorderTest, atTheEndWaitingGamesAreWrittenOrSaidToBeLost)
{
    holdLock();
    recorder.recordFinishedGame(gameScoring(1000));
    releaseLock();
    EXPECT_EQ(recorder.finish(), std::nullopt);
    EXPECT_EQ(stored(), "1000@1/540");

    holdLock();
    recorder.recordFinishedGame(gameScoring(2000));
    recorder.recordFinishedGame(gameScoring(3000));
    const auto lost = recorder.finish();
    ASSERT_TRUE(lost.has_value());
    EXPECT_EQ(lost->rfind("2 回分のゲームの成績を " + path() + " に保存できませんでした", 0), 0u) << *lost;
    releaseLock();
    EXPECT_EQ(stored(), "1000@1/540");
}

} // namespace
