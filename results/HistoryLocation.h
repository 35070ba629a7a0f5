#pragma once

#include <string>

// Where the history of games is kept: history.sqlite3 beside the record, wherever the record is
// kept. When the record's folder cannot hold it (not writable: SQLite must make its journal
// there too), the history goes to the player's data folder and the player is told where. A
// history left in the program's folder, unused because that folder cannot be written, is told
// about too, so that its games do not seem lost.
class HistoryLocation {
public:
    // recordPath: the record as RecordLocation chose it. programDirectory: the program's own
    // folder. playerDirectory: the player's data folder (PlayerFolders), made when it is
    // needed; empty when the player has none.
    static HistoryLocation choose(const std::string& recordPath, const std::string& programDirectory,
                                  const std::string& playerDirectory);

    const std::string& path() const { return path_; }
    // What to tell the player at start-up; empty when the history is simply beside the record.
    const std::string& notice() const { return notice_; }
    // Which history the results window shows, when that needs saying; else empty.
    const std::string& shown() const { return shown_; }

private:
    std::string path_;
    std::string notice_;
    std::string shown_;
};
