#include "results/HistoryStore.h"

#include "fakes/TemporaryDirectory.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kStamp = "20261208-120000";

FinishedGame gameNumbered(int n)
{
    FinishedGame game;
    game.finishedAtMs = 1'765'000'000'000 + n * 60'000LL;
    game.utcOffsetMinutes = 540;
    game.score = 4000 + n;
    game.misses = n % 3;
    for (int stop = 0; stop < 10; ++stop)
        game.stops.push_back({static_cast<char>('A' + (n + stop) % 26), 300'000 + n * 10 + stop, stop == 2 ? n % 3 : 0});
    return game;
}

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct HistoryStoreTest : ::testing::Test {
    std::string path() const { return directory.path() + "/history.sqlite3"; }
    std::string damagedPath() const { return path() + ".damaged-" + kStamp; }

    // Counts in one query: whole games only, no stop without its game and no game short of ten.
    struct Counts {
        int games, stops, shortGames;
    };
    Counts counts() const
    {
        SQLite::Database database(path(), SQLite::OPEN_READONLY);
        EXPECT_EQ(database.execAndGet("PRAGMA integrity_check").getString(), "ok");
        return {database.execAndGet("SELECT count(*) FROM games").getInt(),
                database.execAndGet("SELECT count(*) FROM stops").getInt(),
                database.execAndGet("SELECT count(*) FROM games g WHERE (SELECT count(*) FROM stops s "
                                    "WHERE s.game_id = g.id) <> 10").getInt()};
    }

    TemporaryDirectory directory;
};

TEST_F(HistoryStoreTest, gamesReadBackAsWrittenInAVersionedWalDatabase)
{
    {
        HistoryStore store(path(), kStamp);
        ASSERT_TRUE(store.usable()) << store.problem();
        EXPECT_EQ(store.problem(), "");
        EXPECT_EQ(store.record(gameNumbered(1)), std::nullopt);
        EXPECT_EQ(store.record(gameNumbered(2)), std::nullopt);
    }
    HistoryStore reopened(path(), kStamp);
    EXPECT_EQ(reopened.problem(), "");
    EXPECT_EQ(reopened.loadAllGames(), (std::vector<FinishedGame>{gameNumbered(1), gameNumbered(2)}));
    const HistorySummary summary = reopened.loadSummary();
    EXPECT_EQ(summary.scores, (std::vector<double>{4001, 4002}));
    EXPECT_EQ(summary.reactions.size(), 20u);
    EXPECT_EQ(summary.firstFinishedAtMs, gameNumbered(1).finishedAtMs);
    EXPECT_EQ(summary.latest, gameNumbered(2));

    SQLite::Database database(path(), SQLite::OPEN_READONLY);
    EXPECT_EQ(database.execAndGet("PRAGMA user_version").getInt(), HistoryStore::kSchemaVersion);
    EXPECT_EQ(database.execAndGet("PRAGMA journal_mode").getString(), "wal");
}

TEST_F(HistoryStoreTest, aDatabaseOfANewerProgramIsNeitherReadNorChanged)
{
    {
        SQLite::Database newer(path(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        newer.exec("CREATE TABLE games(x); INSERT INTO games VALUES(1); PRAGMA user_version = 2");
    }
    const std::string before = contentOf(path());
    HistoryStore store(path(), kStamp);
    EXPECT_FALSE(store.usable());
    EXPECT_NE(store.problem().find(path()), std::string::npos);
    EXPECT_NE(store.problem().find("新しい版"), std::string::npos) << store.problem();
    EXPECT_NE(store.record(gameNumbered(1)), std::nullopt);
    EXPECT_TRUE(store.loadSummary().empty());
    EXPECT_EQ(contentOf(path()), before);
    EXPECT_FALSE(std::filesystem::exists(path() + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(damagedPath()));
}

TEST_F(HistoryStoreTest, aFileThatIsNoDatabaseIsMovedAsideWithItsBytesAndANewHistoryStarts)
{
    std::string wholeDatabase;
    {
        HistoryStore store(path(), kStamp);
        for (int n = 0; n < 30; ++n)
            store.record(gameNumbered(n));
    }
    {
        SQLite::Database database(path(), SQLite::OPEN_READWRITE);
        database.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    wholeDatabase = contentOf(path());
    std::filesystem::remove(path() + "-wal");
    std::filesystem::remove(path() + "-shm");
    ASSERT_GT(wholeDatabase.size(), 8192u);

    std::mt19937 random(14);
    std::string noise(5000, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random());
    struct Case {
        const char* name;
        std::string bytes;
        std::uintmax_t sparseSize;
    };
    const Case cases[] = {
        {"random bytes", noise, 0},
        {"a text file", "score,name\n4970,abc\n", 0},
        {"a database cut short", wholeDatabase.substr(0, 4096 + 100), 0},
        {"1 GB of nothing", "", 1ull << 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            std::ofstream(path(), std::ios::binary | std::ios::trunc) << c.bytes;
        }
        if (c.sparseSize)
            std::filesystem::resize_file(path(), c.sparseSize);
        HistoryStore store(path(), kStamp);
        ASSERT_TRUE(store.usable()) << store.problem();
        EXPECT_NE(store.problem().find(damagedPath()), std::string::npos) << store.problem();
        EXPECT_NE(store.problem().find("新しい履歴"), std::string::npos) << store.problem();
        if (c.sparseSize)
            EXPECT_EQ(std::filesystem::file_size(damagedPath()), c.sparseSize);
        else
            EXPECT_EQ(contentOf(damagedPath()), c.bytes);
        EXPECT_EQ(store.record(gameNumbered(7)), std::nullopt);
        EXPECT_EQ(store.loadAllGames(), std::vector<FinishedGame>{gameNumbered(7)});
        std::filesystem::remove(damagedPath());
        std::filesystem::remove(path());
        std::filesystem::remove(path() + "-wal");
        std::filesystem::remove(path() + "-shm");
    }
}

TEST_F(HistoryStoreTest, somethingOtherThanAFileIsLeftAloneWithoutWaitingOnIt)
{
    struct Case {
        const char* name;
        void (*make)(const std::string& path);
    };
    const Case cases[] = {
        {"a FIFO no one writes", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"a link to /dev/zero", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.make(path());
        const auto before = std::filesystem::symlink_status(path()).type();
        {
            HistoryStore store(path(), kStamp);  // a FIFO opened for reading without O_NONBLOCK hangs here
            EXPECT_FALSE(store.usable());
            EXPECT_NE(store.problem().find(path()), std::string::npos) << store.problem();
            EXPECT_NE(store.record(gameNumbered(1)), std::nullopt);
        }
        EXPECT_EQ(std::filesystem::symlink_status(path()).type(), before);
        EXPECT_FALSE(std::filesystem::exists(damagedPath()));
        std::filesystem::remove(path());
    }
}

TEST_F(HistoryStoreTest, twoCopiesWritingAtOnceBothKeepEveryGame)
{
    HistoryStore(path(), kStamp);  // made once, as the first copy to start would
    constexpr int kGamesEach = 40;
    pid_t children[2];
    for (pid_t& child : children) {
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            HistoryStore store(path(), kStamp);
            int failures = 0;
            for (int n = 0; n < kGamesEach; ++n)
                failures += store.record(gameNumbered(n)).has_value();
            ::_exit(failures == 0 && store.problem().empty() ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const Counts after = counts();
    EXPECT_EQ(after.games, 2 * kGamesEach);
    EXPECT_EQ(after.shortGames, 0);
}

TEST_F(HistoryStoreTest, aKilledWriterLeavesEveryCommittedGameAndNothingHalfWritten)
{
    HistoryStore(path(), kStamp);
    int acknowledged = 0;
    for (int round = 0; round < 25; ++round) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            HistoryStore store(path(), kStamp);
            for (int n = 0;; ++n) {
                if (store.record(gameNumbered(n)))
                    ::_exit(1);
                const char done = 1;
                if (::write(pipeEnds[1], &done, 1) != 1)
                    ::_exit(1);
            }
        }
        ::close(pipeEnds[1]);
        // Kill it after a different number of commits each round, most likely inside the next.
        char done = 0;
        for (int commits = 0; commits < 1 + round % 7; ++commits) {
            ASSERT_EQ(::read(pipeEnds[0], &done, 1), 1);
            ++acknowledged;
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(pipeEnds[0]);
    }
    HistoryStore reopened(path(), kStamp);
    EXPECT_EQ(reopened.problem(), "");
    const Counts after = counts();
    EXPECT_GE(after.games, acknowledged);
    EXPECT_EQ(after.shortGames, 0);
    EXPECT_EQ(after.stops, after.games * 10);
}

TEST_F(HistoryStoreTest, aFullDiskKeepsWhatWasCommittedAndSaysWhyTheGameWasNotWritten)
{
    // A file-size limit stands in for a full disk: the write fails as it would on one.
    HistoryStore(path(), kStamp);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HistoryStore store(path(), kStamp);
        if (store.record(gameNumbered(0)))
            ::_exit(2);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        for (int n = 1; n < 10'000; ++n)
            if (const auto fault = store.record(gameNumbered(n)))
                ::_exit(fault->empty() ? 3 : 0);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no first game, 3: no reason given, 4: never failed";
    const Counts after = counts();
    EXPECT_GE(after.games, 1);
    EXPECT_EQ(after.shortGames, 0);
}

} // namespace
