#pragma once

#include "record/ScoreReadResult.h"
#include "record/ScoreRecord.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The best-score record on disk: two lines, each a field between double quotes ended by CR LF,
// in CP932. Each call opens, reads or writes, and closes the file.
class ScoreFile {
public:
    // Far beyond any record the program writes; a larger file is refused unread.
    static constexpr std::size_t maximumBytes = 64 * 1024;

    explicit ScoreFile(std::string path);

    const std::string& path() const { return path_; }

    // Never changes the file, whatever it finds. Reads only a regular file of at most
    // maximumBytes, and never waits for one (a FIFO or a device is refused unopened for reading).
    ScoreReadResult read() const;

    // What read() makes of these bytes as the content of the file at `path`.
    static ScoreReadResult parse(std::string_view bytes, const std::string& path);

    // Replaces the file atomically: it holds either the old record or the new one, never a
    // mixture or a cut-off file. Another copy of the program may save into the same folder:
    // under a lock the file is read again, and a better record found there is kept rather than
    // replaced by a worse one. The new file is always readable and writable by its owner.
    // Leftover temporary files of saves whose process has died are removed.
    // nullopt on success, else a message naming the file and why it was not replaced.
    std::optional<std::string> write(const ScoreRecord& record) const;

    // The characters of name (each once, in order) that would not read back as written:
    // a double quote or line break would end the field early, and anything CP932 lacks, or
    // maps onto a different character, would change. Empty when the name can be stored.
    // Removes what saves killed between writing and renaming left beside the record: files of
    // the save's own naming whose writing process is gone. write() does this too.
    void removeLeftoverTemporaries() const;

    static std::string unstorableCharacters(const std::string& name);

private:
    std::string path_;
};
