#pragma once

#include "platform/Clock.h"

// CLOCK_MONOTONIC, the clock X11 and Wayland stamp their input events with, so that an event's
// own time and the game's clock need no conversion beyond the units.
class SteadyClock final : public Clock {
public:
    std::int64_t nowMicroseconds() const override;
};
