#include "results/HistoryStore.h"

#include "results/GameCheck.h"

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

// The whole numbers first to last as a table of one column, value.
std::string numbers(int first, int last)
{
    return "(WITH RECURSIVE n(value) AS (SELECT " + std::to_string(first) + " UNION ALL SELECT value + 1 FROM n WHERE value < "
           + std::to_string(last) + ") SELECT value FROM n)";
}

// A history as another program might write it: our tables and columns without their types or
// constraints, so that any value of any type can stand in any cell.
void writeLooseHistory(const std::string& path, const std::string& oddGame)
{
    SQLite::Database database(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    database.exec("CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, score, misses);"
                  "CREATE TABLE stops(game_id, stop, letter, reaction_us, wrong_keys);"
                  "PRAGMA user_version = 1;"
                  "INSERT INTO games VALUES(1, 1765000000000, 540, 4000, 0);"
                  "INSERT INTO stops SELECT 1, value, char(64 + value), 300000 + value, 0 FROM " + numbers(1, 10) + ";");
    database.exec(oddGame);
}

TEST_F(HistoryStoreTest, gamesThatBreakARuleAreLeftOutOfTheFiguresAndCountedByRule)
{
    using GameCheck::Fault;
    // Game 2 is a whole good game but for what each case changes in it.
    const std::string good = "INSERT INTO games VALUES(2, 1765000060000, 540, 4100, 0);"
                             "INSERT INTO stops SELECT 2, value, 'K', 400000, 0 FROM " + numbers(1, 10) + ";";
    const struct {
        const char* name;
        std::string change;
        std::optional<Fault> fault;
    } cases[] = {
        {"a good game", "", std::nullopt},
        {"nine stops", "DELETE FROM stops WHERE game_id = 2 AND stop = 4", Fault::StopCount},
        {"no stops", "DELETE FROM stops WHERE game_id = 2", Fault::StopCount},
        {"a million stops", "INSERT INTO stops SELECT 2, value, 'K', 400000, 0 FROM " + numbers(11, 1000000) + "",
         Fault::StopCount},
        {"a stop numbered twice", "UPDATE stops SET stop = 2 WHERE game_id = 2 AND stop = 3", Fault::StopCount},
        {"a small letter", "UPDATE stops SET letter = 'k' WHERE game_id = 2 AND stop = 5", Fault::Letter},
        {"two letters", "UPDATE stops SET letter = 'KK' WHERE game_id = 2 AND stop = 5", Fault::Letter},
        {"a letter as a number", "UPDATE stops SET letter = 75 WHERE game_id = 2 AND stop = 5", Fault::Letter},
        {"no letter", "UPDATE stops SET letter = NULL WHERE game_id = 2 AND stop = 5", Fault::Letter},
        {"a negative reaction", "UPDATE stops SET reaction_us = -1 WHERE game_id = 2 AND stop = 1", Fault::Reaction},
        {"an enormous reaction", "UPDATE stops SET reaction_us = 9223372036854775807 WHERE game_id = 2 AND stop = 1",
         Fault::Reaction},
        {"an hour and a microsecond", "UPDATE stops SET reaction_us = 3600000001 WHERE game_id = 2", Fault::Reaction},
        {"no reaction", "UPDATE stops SET reaction_us = NULL WHERE game_id = 2 AND stop = 9", Fault::Reaction},
        {"a reaction in text", "UPDATE stops SET reaction_us = '400000' WHERE game_id = 2 AND stop = 9",
         Fault::Reaction},
        {"a reaction in a fraction", "UPDATE stops SET reaction_us = 400000.5 WHERE game_id = 2 AND stop = 9",
         Fault::Reaction},
        {"before 1970", "UPDATE games SET finished_at_ms = -1 WHERE id = 2", Fault::Date},
        {"in year 10000", "UPDATE games SET finished_at_ms = 253402300800000 WHERE id = 2", Fault::Date},
        {"an offset of years", "UPDATE games SET utc_offset_min = 2147483647 WHERE id = 2", Fault::Date},
        {"no date", "UPDATE games SET finished_at_ms = NULL WHERE id = 2", Fault::Date},
        {"a negative score", "UPDATE games SET score = -5 WHERE id = 2", Fault::Value},
        {"no misses", "UPDATE games SET misses = NULL WHERE id = 2", Fault::Value},
        {"negative wrong keys", "UPDATE stops SET wrong_keys = -1 WHERE game_id = 2 AND stop = 2", Fault::Value},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path());
        writeLooseHistory(path(), good + c.change);
        HistoryStore store(path(), kStamp);
        ASSERT_TRUE(store.usable()) << store.problem();
        const HistorySummary summary = store.loadSummary();
        EXPECT_EQ(summary.readProblem, "");
        GameCheck::FaultCounts expected{};
        if (c.fault) {
            ++expected[static_cast<std::size_t>(*c.fault)];
            EXPECT_EQ(summary.scores, std::vector<double>{4000});
            EXPECT_EQ(summary.reactions.size(), 10u);
            ASSERT_TRUE(summary.latest);
            EXPECT_EQ(summary.latest->score, 4000) << "the latest game that keeps the rules";
            EXPECT_EQ(store.loadAllGames().size(), 1u);
        } else {
            EXPECT_EQ(summary.scores, (std::vector<double>{4000, 4100}));
        }
        EXPECT_EQ(summary.leftOut, expected);
    }
}

TEST_F(HistoryStoreTest, aHistoryOfAnotherShapeIsNeitherReadNorChangedAndSaysWhatItLacks)
{
    const struct {
        const char* name;
        const char* schema;
        const char* lacks;
    } cases[] = {
        {"no stops table", "CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, score, misses);"
                           "PRAGMA user_version = 1", "stops"},
        {"no games table", "CREATE TABLE stops(game_id, stop, letter, reaction_us, wrong_keys); PRAGMA user_version = 1",
         "games"},
        {"a column renamed", "CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, points, misses);"
                             "CREATE TABLE stops(game_id, stop, letter, reaction_us, wrong_keys); PRAGMA user_version = 1",
         "games.score"},
        {"unversioned tables of these names",
         "CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, score, misses);"
         "CREATE TABLE stops(game_id, stop, letter, reaction_ms, wrong_keys)",
         "stops.reaction_us"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path());
        {
            SQLite::Database other(path(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            other.exec(c.schema);
        }
        const std::string before = contentOf(path());
        HistoryStore store(path(), kStamp);
        EXPECT_FALSE(store.usable());
        EXPECT_NE(store.problem().find(path()), std::string::npos) << store.problem();
        EXPECT_NE(store.problem().find(std::string("（") + c.lacks + " がありません"), std::string::npos)
            << store.problem();
        EXPECT_NE(store.record(gameNumbered(1)), std::nullopt);
        const HistorySummary summary = store.loadSummary();
        EXPECT_TRUE(summary.empty());
        EXPECT_EQ(summary.readProblem, store.problem());
        EXPECT_EQ(contentOf(path()), before);
        EXPECT_FALSE(std::filesystem::exists(path() + "-wal"));
        EXPECT_FALSE(std::filesystem::exists(damagedPath()));
    }
}

TEST_F(HistoryStoreTest, aTableDroppedWhileTheProgramRunsMakesTheSummarySayItCouldNotRead)
{
    HistoryStore store(path(), kStamp);
    ASSERT_EQ(store.record(gameNumbered(1)), std::nullopt);
    {
        SQLite::Database other(path(), SQLite::OPEN_READWRITE);
        other.exec("DROP TABLE stops");
    }
    const HistorySummary summary = store.loadSummary();
    EXPECT_TRUE(summary.empty());
    EXPECT_NE(summary.readProblem.find(path()), std::string::npos) << summary.readProblem;
    EXPECT_NE(summary.readProblem.find("stops"), std::string::npos) << summary.readProblem;
}

TEST_F(HistoryStoreTest, aJournalBesideTheHistoryThatIsNoFileIsSaidAtOpeningAndLeftAlone)
{
    HistoryStore(path(), kStamp).record(gameNumbered(1));
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string companion = path() + suffix;
        for (const bool fifo : {true, false}) {
            SCOPED_TRACE(companion + (fifo ? " as a FIFO" : " as a link to /dev/zero"));
            std::filesystem::remove(companion);
            if (fifo)
                ASSERT_EQ(::mkfifo(companion.c_str(), 0600), 0);
            else
                std::filesystem::create_symlink("/dev/zero", companion);
            const auto before = std::filesystem::symlink_status(companion).type();
            HistoryStore store(path(), kStamp);
            EXPECT_FALSE(store.usable());
            EXPECT_NE(store.problem().find(companion), std::string::npos) << store.problem();
            EXPECT_EQ(std::filesystem::symlink_status(companion).type(), before);
            std::filesystem::remove(companion);
        }
    }
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
