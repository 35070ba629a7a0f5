#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <optional>

// Maps the window system's event stamps (milliseconds of CLOCK_MONOTONIC, cut to 32 bits, as
// X11 and Wayland give them) onto the game's microsecond clock, which has the same base where
// the display server runs beside the game. A server elsewhere (a remote display, another time
// namespace) counts on a clock of its own: once a picture's stamp shows that, no stamp is used
// any more, and keys and stops alike are taken when they are handled, so that a reaction time
// is never measured from one clock to another.
class EventClock {
public:
    // A stamp further back than this cannot be a real event's: it comes from another clock.
    static constexpr std::int64_t kMaxAgeMs = 10'000;
    // How far before its drawing a picture's stamp may lie: a stamp names a whole millisecond.
    static constexpr std::int64_t kPictureStampToleranceUs = 1'000;

    explicit EventClock(const Clock& clock) : clock_(clock) {}

    // The moment of the event stamped `stampMs`, or nothing when the stamp cannot be one of the
    // window system's (0, in the future, too old, another clock's count).
    std::optional<std::int64_t> eventMoment(std::uint64_t stampMs) const;
    // The event's moment, or now where its stamp cannot be trusted.
    std::int64_t eventMomentOrNow(std::uint64_t stampMs) const;
    // The moment the server stamped a picture that was drawn at `drawnAtUs`, or nothing when
    // that stamp cannot be placed on the game's clock. A stamp from before the drawing proves
    // the server's clock is not the game's: from then on every stamp is refused.
    std::optional<std::int64_t> pictureMoment(std::uint64_t stampMs, std::int64_t drawnAtUs);
    // The moment of a server's microsecond stamp on CLOCK_MONOTONIC (the ust of a Present
    // completion), or nothing while stamps are not trusted or where it cannot be a recent one.
    std::optional<std::int64_t> serverMicrosecondMoment(std::uint64_t stampUs) const;

    bool stampsTrusted() const { return stampsTrusted_; }
    const Clock& clock() const { return clock_; }

private:
    const Clock& clock_;
    bool stampsTrusted_ = true;
};
