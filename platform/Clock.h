#pragma once

#include <cstdint>

// A monotonic clock: microseconds since an arbitrary fixed moment, never going back.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMicroseconds() const = 0;
};
