#pragma once

#include "game/ScoreReadResult.h"
#include "game/ScoreRecord.h"

#include <optional>
#include <string>

// Where the best-score record is kept, as the game sees it: read the best, save a new one.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // Never changes what is stored.
    virtual ScoreReadResult read() const = 0;
    // nullopt on success, else a message saying what was not stored and why.
    virtual std::optional<std::string> write(const ScoreRecord& record) const = 0;
};
