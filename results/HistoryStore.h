#pragma once

#include "game/FinishedGame.h"
#include "results/HistorySummary.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace SQLite {
class Database;
}

// The player's history of finished games in an SQLite database. Opening never blocks on the
// file and never reads it without bound: anything but a regular file is left alone, and a file
// that is not a database is moved aside (its bytes kept) so that a new history can start. A
// database from a newer program is neither changed nor read. Whatever goes wrong is said once
// in `problem()`, and the store then keeps to what it safely can.
class HistoryStore {
public:
    static constexpr int kSchemaVersion = 1;
    static constexpr int kBusyTimeoutMs = 1000;

    // `now` names a damaged file moved aside: YYYYMMDD-HHMMSS, local time.
    HistoryStore(std::string path, const std::string& nowStamp);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    const std::string& path() const { return path_; }
    // What happened when the file was opened, in the player's words; empty when all went well.
    const std::string& problem() const { return problem_; }
    // False when the file is left alone this run (not a regular file, newer version, cannot open).
    bool usable() const { return database_ != nullptr; }

    // Writes the game and its stops in one transaction. nullopt when committed, else why not (the
    // system's words, without the path).
    std::optional<std::string> record(const FinishedGame& game);

    // Moving the journal into the database syncs the disk and can take tens of milliseconds, so
    // record() never does it: once the journal has grown past kCheckpointPages, the owner runs
    // checkpoint() where it waits on no one (it uses a connection of its own).
    static constexpr int kCheckpointPages = 1000;
    bool wantsCheckpoint() const { return journalPages_ >= kCheckpointPages; }
    void checkpoint() const;

    // Reads on a connection of its own, so that it may run on another thread than record().
    // Only games that keep GameCheck's rules go into the figures; the others are counted. A
    // history that cannot be read gives an empty summary that says why.
    HistorySummary loadSummary() const;
    // The games that keep the rules; throws SQLite::Exception when the history cannot be read.
    std::vector<FinishedGame> loadAllGames() const;
    // A read-only connection of its own; throws SQLite::Exception when the store is not usable.
    std::unique_ptr<SQLite::Database> openForReading() const;

private:
    void open(const std::string& nowStamp);
    std::unique_ptr<SQLite::Database> openConnection(int flags) const;

    std::string path_;
    std::string problem_;
    std::unique_ptr<SQLite::Database> database_;
    int journalPages_ = 0;
};
