#pragma once

#include <cstdint>
#include <functional>

// A single-shot timer on the event loop, in microseconds.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    virtual void startIn(std::int64_t microseconds) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual void setTimeoutHandler(std::function<void()> handler) = 0;
};
