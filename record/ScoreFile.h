#pragma once

#include "record/ScoreReadResult.h"
#include "record/ScoreRecord.h"

#include <optional>
#include <string>

// The best-score record on disk: two lines, each a field between double quotes ended by CR LF,
// in CP932. Each call opens, reads or writes, and closes the file.
class ScoreFile {
public:
    explicit ScoreFile(std::string path);

    const std::string& path() const { return path_; }

    // Never changes the file, whatever it finds.
    ScoreReadResult read() const;

    // Replaces the file atomically: it holds either the old record or the new one, never a
    // mixture or a cut-off file. nullopt on success, else a message naming the file and why.
    std::optional<std::string> write(const ScoreRecord& record) const;

    // The characters of name (each once, in order) that would not read back as written:
    // a double quote or line break would end the field early, and anything CP932 lacks, or
    // maps onto a different character, would change. Empty when the name can be stored.
    static std::string unstorableCharacters(const std::string& name);

private:
    std::string path_;
};
