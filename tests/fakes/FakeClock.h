#pragma once

#include "platform/Clock.h"

// A clock that moves only when the test says so.
class FakeClock final : public Clock {
public:
    std::int64_t nowMicroseconds() const override { return now_; }
    void advanceMilliseconds(double ms) { now_ += static_cast<std::int64_t>(ms * 1000); }
    void advanceMicroseconds(std::int64_t us) { now_ += us; }
    void setMicroseconds(std::int64_t us) { now_ = us; }

private:
    std::int64_t now_ = 1'000'000'000;
};
