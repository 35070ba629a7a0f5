#pragma once

#include "game/ScoreRecord.h"

#include <string>

struct ScoreReadResult {
    enum class Status {
        Ok,       // record holds both fields and its score is a valid best score
        Missing,  // there is no file: no record has been set yet
        Damaged,  // the file exists but cannot be used; problem says why
    };
    Status status = Status::Missing;
    ScoreRecord record;
    std::string problem;
};
