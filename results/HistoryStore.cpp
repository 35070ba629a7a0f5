#include "results/HistoryStore.h"

#include "game/GameState.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Beyond this a file is not checked page by page when it opens: the check would read it all.
constexpr off_t kLargestFileCheckedWhole = 64 * 1024 * 1024;
constexpr char kSqliteHeader[] = "SQLite format 3";  // and its terminating zero: 16 bytes

static_assert(GameState::kStopsPerGame == 10, "the schema's CHECK on a stop's number says ten");
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

// Looks at the file without ever waiting on it: O_NONBLOCK keeps a FIFO from blocking the open,
// fstat tells a FIFO, folder or device from a file, and at most the header's 16 bytes are read.
FileCheck checkFile(const std::string& path)
{
    FileCheck check;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return check;
        check.look = errno == EISDIR ? FileLook::NotRegular : FileLook::Unreadable;
        check.reason = std::strerror(errno);
        return check;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        check.look = FileLook::NotRegular;
        return check;
    }
    check.size = status.st_size;
    char header[16] = {};
    const ssize_t got = check.size == 0 ? 0 : ::pread(fd, header, sizeof header, 0);
    ::close(fd);
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
                       + std::strerror(errno) + "）。この実行の成績は保存されません。";
            return false;
        }
        // The journal of a damaged file belongs to it, not to the new history.
        for (const char* suffix : {"-wal", "-shm"})
            ::rename((path_ + suffix).c_str(), (target + suffix).c_str());
        movedAside = target;
        return true;
    };

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

HistorySummary HistoryStore::loadSummary() const
{
    HistorySummary summary;
    if (!database_)
        return summary;
    try {
        auto database = openConnection(SQLite::OPEN_READONLY);
        SQLite::Transaction snapshot(*database);
        SQLite::Statement games(*database, "SELECT score, finished_at_ms, utc_offset_min FROM games ORDER BY id");
        while (games.executeStep()) {
            if (summary.scores.empty()) {
                summary.firstFinishedAtMs = games.getColumn(1).getInt64();
                summary.firstUtcOffsetMinutes = games.getColumn(2).getInt();
            }
            summary.scores.push_back(static_cast<double>(games.getColumn(0).getInt64()));
        }
        summary.reactions.reserve(summary.scores.size() * GameState::kStopsPerGame);
        SQLite::Statement reactions(*database, "SELECT letter, reaction_us FROM stops");
        while (reactions.executeStep()) {
            const char* letter = reactions.getColumn(0).getText();
            summary.reactions.push_back({letter[0], static_cast<double>(reactions.getColumn(1).getInt64()) / 1000.0});
        }
        SQLite::Statement latest(*database, "SELECT id, finished_at_ms, utc_offset_min, score, misses FROM games "
                                            "ORDER BY id DESC LIMIT 1");
        if (latest.executeStep()) {
            FinishedGame game;
            game.finishedAtMs = latest.getColumn(1).getInt64();
            game.utcOffsetMinutes = latest.getColumn(2).getInt();
            game.score = latest.getColumn(3).getInt64();
            game.misses = latest.getColumn(4).getInt();
            SQLite::Statement stops(*database,
                                    "SELECT letter, reaction_us, wrong_keys FROM stops WHERE game_id = ? ORDER BY stop");
            stops.bind(1, latest.getColumn(0).getInt64());
            while (stops.executeStep())
                game.stops.push_back({stops.getColumn(0).getText()[0], stops.getColumn(1).getInt64(),
                                      stops.getColumn(2).getInt()});
            summary.latest = std::move(game);
        }
        snapshot.commit();
    } catch (const SQLite::Exception&) {
        // A history that cannot be read now shows what was read before the fault.
    }
    return summary;
}

std::vector<FinishedGame> HistoryStore::loadAllGames() const
{
    std::vector<FinishedGame> games;
    if (!database_)
        return games;
    auto database = openConnection(SQLite::OPEN_READONLY);
    SQLite::Transaction snapshot(*database);
    SQLite::Statement rows(*database,
                           "SELECT g.id, g.finished_at_ms, g.utc_offset_min, g.score, g.misses, "
                           "s.letter, s.reaction_us, s.wrong_keys FROM games g JOIN stops s ON s.game_id = g.id "
                           "ORDER BY g.id, s.stop");
    std::int64_t currentId = -1;
    while (rows.executeStep()) {
        const std::int64_t id = rows.getColumn(0).getInt64();
        if (id != currentId) {
            currentId = id;
            games.push_back({rows.getColumn(1).getInt64(), rows.getColumn(2).getInt(), rows.getColumn(3).getInt64(),
                             rows.getColumn(4).getInt(), {}});
        }
        games.back().stops.push_back(
            {rows.getColumn(5).getText()[0], rows.getColumn(6).getInt64(), rows.getColumn(7).getInt()});
    }
    snapshot.commit();
    return games;
}
