#include "platform/EventClock.h"

std::optional<std::int64_t> EventClock::eventMoment(std::uint64_t stampMs) const
{
    const auto stamp = static_cast<std::uint32_t>(stampMs);
    if (stamp == 0 || !stampsTrusted_)
        return std::nullopt;
    const std::int64_t nowUs = clock_.nowMicroseconds();
    const std::int64_t nowMs = nowUs / 1000;
    // The upper bits come from now: the stamp is the nearest moment with these lower 32 bits,
    // which also carries it across the wrap every 49.7 days.
    const auto ageMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMs) - stamp);
    if (ageMs < -1 || ageMs > kMaxAgeMs)
        return std::nullopt;
    // A stamp stands for the whole millisecond it names, so for its middle. That may lie a little
    // after now; cutting it back to now would shorten exactly the intervals whose ends are
    // handled quickly, and bias the reaction times measured between two stamps.
    return (nowMs - ageMs) * 1000 + 500;
}

std::int64_t EventClock::eventMomentOrNow(std::uint64_t stampMs) const
{
    return eventMoment(stampMs).value_or(clock_.nowMicroseconds());
}

std::optional<std::int64_t> EventClock::pictureMoment(std::uint64_t stampMs, std::int64_t drawnAtUs)
{
    const std::optional<std::int64_t> shownAt = eventMoment(stampMs);
    if (shownAt && *shownAt < drawnAtUs - kPictureStampToleranceUs)
        stampsTrusted_ = false;
    if (!stampsTrusted_)
        return std::nullopt;
    return shownAt;
}

std::optional<std::int64_t> EventClock::serverMicrosecondMoment(std::uint64_t stampUs) const
{
    const std::int64_t nowUs = clock_.nowMicroseconds();
    if (!stampsTrusted_ || stampUs == 0 || stampUs > static_cast<std::uint64_t>(nowUs))
        return std::nullopt;
    const auto stamp = static_cast<std::int64_t>(stampUs);
    if (nowUs - stamp > kMaxAgeMs * 1000)
        return std::nullopt;
    return stamp;
}
