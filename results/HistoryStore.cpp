#include "results/HistoryStore.h"

#include "platform/RegularFile.h"
#include "platform/SystemErrorText.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

// Beyond this a file is not checked page by page when it opens: the check would read it all.
constexpr off_t kLargestFileCheckedWhole = 64 * 1024 * 1024;
constexpr char kSqliteHeader[] = "SQLite format 3";  // and its terminating zero: 16 bytes

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS games(
    id INTEGER PRIMARY KEY,
    finished_at_ms INTEGER NOT NULL,
    utc_offset_min INTEGER NOT NULL,
    score INTEGER NOT NULL,
    misses INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS stops(
    game_id INTEGER NOT NULL REFERENCES games(id) ON DELETE CASCADE,
    stop INTEGER NOT NULL CHECK (stop BETWEEN 1 AND 10),
    letter TEXT NOT NULL,
    reaction_us INTEGER NOT NULL,
    wrong_keys INTEGER NOT NULL,
    PRIMARY KEY (game_id, stop)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS stops_by_letter ON stops(letter, reaction_us);
)sql";

enum class FileLook { Missing, Database, NotDatabase, NotRegular, Unreadable };

struct FileCheck {
    FileLook look = FileLook::Missing;
    off_t size = 0;
    std::string reason;
};

// Looks at the file without ever waiting on it (see RegularFile); at most the header's 16 bytes
// are read.
FileCheck checkFile(const std::string& path)
{
    FileCheck check;
    const RegularFile file = RegularFile::open(path);
    switch (file.outcome()) {
    case RegularFile::Outcome::Missing:
        return check;
    case RegularFile::Outcome::NotRegular:
        check.look = FileLook::NotRegular;
        return check;
    case RegularFile::Outcome::Failed:
        check.look = FileLook::Unreadable;
        check.reason = systemErrorText(file.error());
        return check;
    case RegularFile::Outcome::Opened:
        break;
    }
    check.size = file.size();
    char header[16] = {};
    const ssize_t got = check.size == 0 ? 0 : ::pread(file.fd(), header, sizeof header, 0);
    if (check.size == 0)
        check.look = FileLook::Database;  // SQLite makes an empty file its new database
    else if (got == static_cast<ssize_t>(sizeof header) && std::memcmp(header, kSqliteHeader, sizeof header) == 0)
        check.look = FileLook::Database;
    else
        check.look = FileLook::NotDatabase;
    return check;
}

bool isDamage(const SQLite::Exception& error)
{
    const int code = error.getErrorCode();
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// The first table.column of ours the database lacks, or empty when it has them all. Only what is
// read is asked for: another program may add columns or tables of its own.
std::string missingColumn(SQLite::Database& database)
{
    const struct {
        const char* table;
        std::vector<std::string> columns;
    } tables[] = {{"games", {"id", "finished_at_ms", "utc_offset_min", "score", "misses"}},
                  {"stops", {"game_id", "stop", "letter", "reaction_us", "wrong_keys"}}};
    for (const auto& table : tables) {
        SQLite::Statement query(database, "SELECT name FROM pragma_table_info(?)");
        query.bind(1, table.table);
        std::vector<std::string> present;
        while (query.executeStep())
            present.push_back(query.getColumn(0).getString());
        if (present.empty())
            return table.table;
        for (const std::string& column : table.columns)
            if (std::find(present.begin(), present.end(), column) == present.end())
                return std::string(table.table) + "." + column;
    }
    return {};
}

bool hasTablesOfOurs(SQLite::Database& database)
{
    return database.execAndGet("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN ('games', 'stops')")
               .getInt()
           > 0;
}

std::string withoutTrailingStop(std::string text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == '\n'))
        text.pop_back();
    return text;
}

} // namespace

HistoryStore::HistoryStore(std::string path, const std::string& nowStamp) : path_(std::move(path))
{
    open(nowStamp);
}

HistoryStore::~HistoryStore() = default;

std::unique_ptr<SQLite::Database> HistoryStore::openConnection(int flags) const
{
    auto database = std::make_unique<SQLite::Database>(path_, flags, kBusyTimeoutMs);
    database->exec("PRAGMA foreign_keys = ON");
    return database;
}

void HistoryStore::open(const std::string& nowStamp)
{
    const FileCheck check = checkFile(path_);
    std::string movedAside;
    const auto moveAside = [&]() -> bool {
        const std::string target = path_ + ".damaged-" + nowStamp;
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            problem_ = "成績の履歴 " + path_ + " は壊れていますが、別の名前に移せませんでした（"
                       + systemErrorText(errno) + "）。この実行の成績は保存されません。";
            return false;
        }
        // The journal of a damaged file belongs to it, not to the new history.
        for (const char* suffix : {"-wal", "-shm"})
            ::rename((path_ + suffix).c_str(), (target + suffix).c_str());
        movedAside = target;
        return true;
    };

    // SQLite opens the journal and its index beside the file without asking: a FIFO or a device
    // there would fail the first game's write, or hang it.
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string companion = path_ + suffix;
        const FileCheck look = checkFile(companion);
        if (look.look == FileLook::NotRegular || look.look == FileLook::Unreadable) {
            problem_ = "成績の履歴の一部 " + companion + " が" + (look.look == FileLook::NotRegular ? "普通のファイルではない" : "開けない（" + look.reason + "）")
                       + "ため、成績の履歴 " + path_ + " を読み書きしません。この実行の成績は保存されません。";
            return;
        }
    }

    switch (check.look) {
    case FileLook::NotRegular:
        problem_ = "成績の履歴 " + path_ + " は普通のファイルではないため、読み書きしません。"
                   "この実行の成績は保存されません。";
        return;
    case FileLook::Unreadable:
        problem_ = "成績の履歴 " + path_ + " を開けません（" + check.reason + "）。この実行の成績は保存されません。";
        return;
    case FileLook::NotDatabase:
        if (!moveAside())
            return;
        break;
    case FileLook::Missing:
    case FileLook::Database:
        break;
    }

    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            auto database = openConnection(SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            const int version = database->execAndGet("PRAGMA user_version").getInt();
            if (version > kSchemaVersion) {
                problem_ = "成績の履歴 " + path_ + " は新しい版の Zumikko で書かれています（形式 "
                           + std::to_string(version) + "）。壊さないよう、この実行では読みも書きもしません。";
                return;
            }
            if (version == kSchemaVersion || hasTablesOfOurs(*database)) {
                if (const std::string missing = missingColumn(*database); !missing.empty()) {
                    problem_ = "成績の履歴 " + path_ + " は Zumikko の形式と違います（" + missing
                               + " がありません）。壊さないよう、この実行では読みも書きもしません。";
                    return;
                }
            }
            if (check.look == FileLook::Database && check.size <= kLargestFileCheckedWhole && attempt == 0) {
                const std::string verdict = database->execAndGet("PRAGMA quick_check(1)").getString();
                if (verdict != "ok")
                    throw SQLite::Exception("quick_check: " + verdict, SQLITE_CORRUPT);
            }
            database->exec("PRAGMA journal_mode = WAL");
            // In WAL mode NORMAL keeps every committed game through a killed process; only a
            // power cut may lose the last few.
            database->exec("PRAGMA synchronous = NORMAL");
            database->exec("PRAGMA wal_autocheckpoint = 0");
            sqlite3_wal_hook(
                database->getHandle(),
                [](void* pages, sqlite3*, const char*, int count) {
                    *static_cast<int*>(pages) = count;
                    return SQLITE_OK;
                },
                &journalPages_);
            if (version < kSchemaVersion) {
                SQLite::Transaction transaction(*database, SQLite::TransactionBehavior::IMMEDIATE);
                database->exec(kSchema);
                database->exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
                transaction.commit();
            }
            database_ = std::move(database);
            if (!movedAside.empty())
                problem_ = "成績の履歴 " + path_ + " はデータベースとして読めませんでした。元のファイルは "
                           + movedAside + " に移し、新しい履歴を始めました。";
            return;
        } catch (const SQLite::Exception& error) {
            if (attempt == 0 && isDamage(error) && movedAside.empty()) {
                if (!moveAside())
                    return;
                continue;
            }
            problem_ = "成績の履歴 " + path_ + " を開けません（" + withoutTrailingStop(error.what())
                       + "）。この実行の成績は保存されません。";
            return;
        }
    }
}

std::optional<std::string> HistoryStore::record(const FinishedGame& game)
{
    if (!database_)
        return "履歴を開けていません";
    try {
        SQLite::Transaction transaction(*database_, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement insertGame(*database_,
                                     "INSERT INTO games(finished_at_ms, utc_offset_min, score, misses) VALUES(?,?,?,?)");
        insertGame.bind(1, static_cast<std::int64_t>(game.finishedAtMs));
        insertGame.bind(2, game.utcOffsetMinutes);
        insertGame.bind(3, static_cast<std::int64_t>(game.score));
        insertGame.bind(4, game.misses);
        insertGame.exec();
        const std::int64_t gameId = database_->getLastInsertRowid();
        SQLite::Statement insertStop(
            *database_, "INSERT INTO stops(game_id, stop, letter, reaction_us, wrong_keys) VALUES(?,?,?,?,?)");
        for (std::size_t i = 0; i < game.stops.size(); ++i) {
            const StopResult& stop = game.stops[i];
            insertStop.bind(1, gameId);
            insertStop.bind(2, static_cast<int>(i + 1));
            insertStop.bind(3, std::string(1, stop.letter));
            insertStop.bind(4, static_cast<std::int64_t>(stop.reactionUs));
            insertStop.bind(5, stop.wrongKeys);
            insertStop.exec();
            insertStop.reset();
        }
        transaction.commit();
        return std::nullopt;
    } catch (const SQLite::Exception& error) {
        return withoutTrailingStop(error.what());
    }
}

void HistoryStore::checkpoint() const
{
    if (!database_)
        return;
    try {
        auto database = openConnection(SQLite::OPEN_READWRITE);
        database->exec("PRAGMA wal_checkpoint(PASSIVE)");
    } catch (const SQLite::Exception&) {
        // The next one will try again; until then the journal only grows.
    }
}

std::unique_ptr<SQLite::Database> HistoryStore::openForReading() const
{
    if (!database_)
        throw SQLite::Exception(problem_);
    return openConnection(SQLite::OPEN_READONLY);
}

namespace {

std::int64_t wholeOr(const SQLite::Column& column, std::int64_t otherwise)
{
    return column.isInteger() ? column.getInt64() : otherwise;
}

// Reads every game with its stops in one pass, keeping at most one stop past the tenth of a game
// in memory, and hands each to `take` with the values another program may have stored in any
// type mapped onto ones that break GameCheck's rules.
template <typename Take>
void readGames(SQLite::Database& database, Take take)
{
    SQLite::Statement rows(database,
                           "SELECT g.id, g.finished_at_ms, g.utc_offset_min, g.score, g.misses, "
                           "s.stop, s.letter, s.reaction_us, s.wrong_keys, s.game_id FROM games g "
                           "LEFT JOIN stops s ON s.game_id = g.id ORDER BY g.id, s.stop");
    std::optional<std::int64_t> currentId;
    FinishedGame game;
    bool numbered = true;
    const auto finish = [&] {
        if (!numbered)
            game.stops.resize(GameCheck::kStops + 1);  // stops out of turn say as little as a wrong count
        take(std::move(game));
        game = {};
        numbered = true;
    };
    while (rows.executeStep()) {
        const std::int64_t id = rows.getColumn(0).getInt64();
        if (currentId != id) {
            if (currentId)
                finish();
            currentId = id;
            game.finishedAtMs = wholeOr(rows.getColumn(1), -1);
            const std::int64_t offset = wholeOr(rows.getColumn(2), INT32_MAX);
            game.utcOffsetMinutes = static_cast<int>(std::clamp<std::int64_t>(offset, INT32_MIN, INT32_MAX));
            game.score = wholeOr(rows.getColumn(3), -1);
            game.misses = static_cast<int>(std::clamp<std::int64_t>(wholeOr(rows.getColumn(4), -1), -1, INT32_MAX));
        }
        if (rows.getColumn(9).isNull())
            continue;  // a game without a single stop
        if (game.stops.size() > GameCheck::kStops)
            continue;
        if (wholeOr(rows.getColumn(5), 0) != static_cast<std::int64_t>(game.stops.size()) + 1)
            numbered = false;
        const SQLite::Column letter = rows.getColumn(6);
        StopResult stop;
        stop.letter = letter.isText() && letter.getBytes() == 1 ? letter.getText()[0] : '\0';
        stop.reactionUs = wholeOr(rows.getColumn(7), -1);
        stop.wrongKeys = static_cast<int>(std::clamp<std::int64_t>(wholeOr(rows.getColumn(8), -1), -1, INT32_MAX));
        game.stops.push_back(stop);
    }
    if (currentId)
        finish();
}

} // namespace

HistorySummary HistoryStore::loadSummary() const
{
    HistorySummary summary;
    if (!database_) {
        summary.readProblem = problem_;
        return summary;
    }
    try {
        auto database = openForReading();
        SQLite::Transaction snapshot(*database);
        readGames(*database, [&](FinishedGame&& game) { summary.add(game); });
        snapshot.commit();
    } catch (const SQLite::Exception& error) {
        summary = {};
        summary.readProblem = "成績の履歴 " + path_ + " を読めませんでした（" + withoutTrailingStop(error.what()) + "）。";
    }
    return summary;
}

std::vector<FinishedGame> HistoryStore::loadAllGames() const
{
    std::vector<FinishedGame> games;
    if (!database_)
        return games;
    auto database = openForReading();
    SQLite::Transaction snapshot(*database);
    readGames(*database, [&](FinishedGame&& game) {
        if (!GameCheck::faultOf(game))
            games.push_back(std::move(game));
    });
    snapshot.commit();
    return games;
}
