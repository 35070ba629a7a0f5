#pragma once

#include "game/RecordStore.h"
#include "platform/DirectoryLock.h"

#include <chrono>
#include <string>

// The best-score record in score.dat (the format is RecordFormat's). Each call opens, reads or
// writes, and closes the file.
class ScoreFile : public RecordStore {
public:
    // How long a save waits for another copy of the program that is saving into the same
    // folder: long enough for any save, short enough not to freeze the window.
    static constexpr std::chrono::milliseconds kLockPatience{1000};

    explicit ScoreFile(std::string path, DirectoryLock::Pause pauseWhileLocked = DirectoryLock::sleep);

    const std::string& path() const { return path_; }

    // Never changes the file, whatever it finds. Reads only a regular file of at most
    // RecordFormat::maximumBytes, and never waits for one (a FIFO or a device is refused
    // unopened for reading). A missing file, or one whose folder is not a folder, is no record.
    ScoreReadResult read() const override;

    // Replaces the file atomically: it holds either the old record or the new one, never a
    // mixture or a cut-off file. A symbolic link is saved through: its final target is replaced.
    // Another copy of the program may save into the same folder: under a lock the file is read
    // again, and a better record found there is kept rather than replaced by a worse one. The
    // new file is always readable and writable by its owner. Leftover temporary files of writers
    // that have died are removed.
    std::optional<std::string> write(const ScoreRecord& record) const override;

private:
    std::string path_;
    DirectoryLock::Pause pauseWhileLocked_;
};
