#include "results/HistoryExport.h"

#include "results/HistoryCsv.h"
#include "results/HistoryStore.h"

#include "fakes/StrictCsv.h"
#include "fakes/TemporaryDirectory.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

struct HistoryExportTest : ::testing::Test {
    std::string path() const { return directory.path() + "/history.sqlite3"; }

    HistoryExport::Result exportAll(const HistoryStore& store, const std::vector<FinishedGame>& unsaved = {},
                                    std::int64_t cancelAfterRows = -1)
    {
        return HistoryExport::run(
            store, unsaved,
            [this](std::string_view bytes) {
                writes.push_back(bytes.size());
                csv.append(bytes);
                return !failWrites;
            },
            [&, this](std::int64_t rows, std::int64_t total) {
                progress.emplace_back(rows, total);
                return cancelAfterRows < 0 || rows < cancelAfterRows;
            });
    }

    TemporaryDirectory directory;
    std::string csv;
    std::vector<std::size_t> writes;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    bool failWrites = false;
};

TEST_F(HistoryExportTest, everyStoredRowIsWrittenAsItIsStoredEachFieldSafeAndEachRowEightFields)
{
    {
        // As another program might have written it: any value of any type in any cell.
        SQLite::Database other(path(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, score, misses);"
                   "CREATE TABLE stops(game_id, stop, letter, reaction_us, wrong_keys); PRAGMA user_version = 1;"
                   "INSERT INTO games VALUES(7, 1765000000000, 540, 4970, 2), (9, 253402300800000, 35791394, '@x', NULL);"
                   "INSERT INTO stops VALUES(7, 1, 'A', 401001, 0), (9, 1, '=1+1', -5, 0), (9, 2, 'a,b' || char(10) || 'c', NULL, 0),"
                   "(9, 3, '\"', 1.5, -1), (9, 4, CAST(x'ff00' AS TEXT), '12', 0), (9, 5, x'41', 9223372036854775807, 0);");
    }
    HistoryStore store(path(), "stamp");
    ASSERT_TRUE(store.usable()) << store.problem();
    const auto result = exportAll(store);
    EXPECT_EQ(result.outcome, HistoryExport::Outcome::Written);
    EXPECT_EQ(result.rows, 6);
    ASSERT_EQ(csv.rfind(HistoryCsv::header(), 0), 0u);
    const std::string body = csv.substr(HistoryCsv::header().size());
    EXPECT_EQ(body, "1,2025-12-06T14:46:40+09:00,1,A,401.001,0,4970,2\r\n"
                    "2,253402300800000,1,\"'=1+1\",\"'-0.005\",0,\"'@x\",\r\n"
                    "2,253402300800000,2,\"a,b\nc\",,0,\"'@x\",\r\n"
                    "2,253402300800000,3,\"\"\"\",0.0015,\"'-1\",\"'@x\",\r\n"
                    "2,253402300800000,4,\xEF\xBF\xBD,12,0,\"'@x\",\r\n"
                    "2,253402300800000,5,A,9223372036854775.807,0,\"'@x\",\r\n");
    const auto rows = strictCsvRows(csv.substr(3));
    ASSERT_TRUE(rows);
    for (const auto& row : *rows)
        EXPECT_EQ(row.size(), HistoryCsv::kColumns);
}

TEST_F(HistoryExportTest, aLongHistoryGoesOutInBatchesWithItsProgressThenThisRunsGames)
{
    {
        HistoryStore(path(), "stamp");
        SQLite::Database database(path(), SQLite::OPEN_READWRITE);
        database.exec("WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM n WHERE v < 3000) "
                      "INSERT INTO games SELECT v, 1765000000000 + v, 540, 4000 + v, 0 FROM n;"
                      "INSERT INTO stops SELECT id, s.v, 'Q', 300000, 0 FROM games, "
                      "(WITH RECURSIVE m(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM m WHERE v < 10) SELECT v FROM m) s");
    }
    HistoryStore store(path(), "stamp");
    FinishedGame unsaved{1'765'000'000'000, 540, 123, 0, std::vector<StopResult>(10, {'Z', 1, 0})};
    const auto result = exportAll(store, {unsaved});
    EXPECT_EQ(result.outcome, HistoryExport::Outcome::Written);
    EXPECT_EQ(result.rows, 30'010);
    EXPECT_GT(writes.size(), 10u);
    for (std::size_t bytes : writes)
        EXPECT_LT(bytes, HistoryExport::kBatchBytes + 200) << "one batch at a time, never the whole file";
    ASSERT_FALSE(progress.empty());

    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i].first, progress[i - 1].first);
    const std::string last = "\r\n3001,2025-12-06T14:46:40+09:00,10,Z,0.001,0,123,0\r\n";
    EXPECT_EQ(csv.substr(csv.size() - last.size()), last);
    ASSERT_NE(csv.find("\r\n3000,2025-12-06T14:46:43+09:00,10,Q,300.000,0,7000,0\r\n"), std::string::npos);

    csv.clear();
    progress.clear();
    const auto cancelled = exportAll(store, {}, 5000);
    EXPECT_EQ(cancelled.outcome, HistoryExport::Outcome::Cancelled);
    EXPECT_LT(cancelled.rows, 10'000);

    failWrites = true;
    EXPECT_EQ(exportAll(store).outcome, HistoryExport::Outcome::WriteFailed);
}

TEST_F(HistoryExportTest, aHistoryThatCannotBeReadFailsTheExportWithTheReasonAndAnUnusableOneGivesThisRunsGames)
{
    {
        HistoryStore store(path(), "stamp");
        SQLite::Database other(path(), SQLite::OPEN_READWRITE);
        other.exec("DROP TABLE stops");
        const auto result = exportAll(store);
        EXPECT_EQ(result.outcome, HistoryExport::Outcome::ReadFailed);
        EXPECT_NE(result.readProblem.find(path()), std::string::npos) << result.readProblem;
    }
    HistoryStore unusable(path(), "stamp");  // its schema lacks the stops now
    ASSERT_FALSE(unusable.usable());
    csv.clear();
    FinishedGame unsaved{1'765'000'000'000, 540, 123, 0, std::vector<StopResult>(10, {'Z', 1, 0})};
    EXPECT_EQ(exportAll(unusable, {unsaved}).rows, 10);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 11);
}

TEST_F(HistoryExportTest, aFifoThatTakesTheNameWhileTheFileIsWrittenIsLeftAloneAndSaid)
{
    HistoryStore store(path(), "stamp");
    FinishedGame game{1'765'000'000'000, 540, 123, 0, std::vector<StopResult>(10, {'Z', 1, 0})};
    const std::string target = directory.path() + "/out.csv";
    const auto problem = HistoryExport::toFile(store, {game}, target, [&](std::int64_t, std::int64_t) {
        if (!std::filesystem::exists(target))
            ::mkfifo(target.c_str(), 0600);
        return true;
    });
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->rfind("CSV を " + target + " に書き出せませんでした（", 0), 0u) << *problem;
    EXPECT_EQ(std::filesystem::status(target).type(), std::filesystem::file_type::fifo);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 4)
        << "the history, its journal and index, and the FIFO: no temporary left behind";
}

} // namespace
