#pragma once

#include "game/RecordStore.h"

#include <vector>

// A record store in memory: it answers every read with what the test put in, counts the reads,
// and keeps what is saved.
class FakeRecordStore : public RecordStore {
public:
    void holds(const std::string& name, const std::string& score)
    {
        stored_ = {ScoreReadResult::Status::Ok, {name, score}, {}};
    }
    void holdsNothing() { stored_ = {}; }
    void holdsDamage(const std::string& problem) { stored_ = {ScoreReadResult::Status::Damaged, {}, problem}; }

    ScoreReadResult read() const override
    {
        ++reads;
        return stored_;
    }
    std::optional<std::string> write(const ScoreRecord& record) const override
    {
        writes.push_back(record);
        return std::nullopt;
    }

    mutable int reads = 0;
    mutable std::vector<ScoreRecord> writes;

private:
    ScoreReadResult stored_;
};
