#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <optional>

// Maps the window system's event stamps (milliseconds of CLOCK_MONOTONIC, cut to 32 bits, as
// X11 and Wayland give them) onto the game's microsecond clock, which has the same base.
class EventClock {
public:
    // A stamp further back than this cannot be a real event's: it comes from another clock.
    static constexpr std::int64_t kMaxAgeMs = 10'000;

    explicit EventClock(const Clock& clock) : clock_(clock) {}

    // The moment of the event stamped `stampMs`, or nothing when the stamp cannot be one of the
    // window system's (0, in the future, too old, another clock's count).
    std::optional<std::int64_t> eventMoment(std::uint64_t stampMs) const;
    // The event's moment, or now where its stamp cannot be trusted.
    std::int64_t eventMomentOrNow(std::uint64_t stampMs) const;

    const Clock& clock() const { return clock_; }

private:
    const Clock& clock_;
};
