#include "platform/EventClock.h"

#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

constexpr std::int64_t kWrap = std::int64_t{1} << 32;  // milliseconds of one 32-bit stamp cycle

TEST(EventClock, mapsTheWindowSystemsMillisecondStampsOntoTheGameClockOrRefusesThem)
{
    struct Case {
        const char* what;
        std::int64_t nowUs;
        std::uint64_t stampMs;
        std::optional<std::int64_t> expectedUs;
    };
    const Case cases[] = {
        // A stamp stands for the middle of its millisecond.
        {"40 ms old", 5'000'123'456, 5'000'083, 5'000'083'500},
        {"just now, later than the middle", 5'000'123'900, 5'000'123, 5'000'123'500},
        {"just now, before the middle: still the middle", 5'000'123'200, 5'000'123, 5'000'123'500},
        {"one millisecond ahead of a coarse clock", 5'000'123'200, 5'000'124, 5'000'124'500},
        {"ten seconds old", 5'000'123'456, 4'990'123, 4'990'123'500},
        {"across the wrap", (kWrap + 5) * 1000 + 300, kWrap - 10, (kWrap - 10) * 1000 + 500},
        {"a 64-bit count after the wrap", (kWrap + 5) * 1000 + 300, kWrap + 1, (kWrap + 1) * 1000 + 500},
        {"after several wraps", (3 * kWrap + 70) * 1000, 40, (3 * kWrap + 40) * 1000 + 500},
        {"zero: no stamp at all", 5'000'123'456, 0, std::nullopt},
        {"zero a few seconds after boot, when it would look recent", 3'000'000, 0, std::nullopt},
        {"two milliseconds ahead: in the future", 5'000'123'456, 5'000'125, std::nullopt},
        {"in the future", 5'000'123'456, 5'000'126, std::nullopt},
        {"older than ten seconds", 5'000'123'456, 4'990'122, std::nullopt},
        {"another clock's count (milliseconds since the program started)", 5'000'123'456, 1'234, std::nullopt},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        clock.setMicroseconds(c.nowUs);
        const EventClock times(clock);
        EXPECT_EQ(times.eventMoment(c.stampMs), c.expectedUs) << c.what;
        EXPECT_EQ(times.eventMomentOrNow(c.stampMs), c.expectedUs.value_or(c.nowUs)) << c.what;
    }
}

TEST(EventClock, aPictureStampBeforeItsDrawingIsRefusedAndEndsTheTrustInEveryLaterStamp)
{
    struct Case {
        const char* what;
        std::uint64_t stampMs;
        std::optional<std::int64_t> expectedUs;
        bool trustedAfter;
    };
    // Drawn at 5'000'123'456 µs, stamped by the server 300 µs later.
    const Case cases[] = {
        {"in the millisecond of its drawing", 5'000'123, 5'000'123'500, true},
        {"in the millisecond before: the stamp's own rounding", 5'000'122, 5'000'122'500, true},
        {"two milliseconds before its drawing: another clock", 5'000'121, std::nullopt, false},
        {"three seconds before: a server three seconds behind", 4'997'123, std::nullopt, false},
        {"in the future: refused, as the keys' stamps from that server are", 5'000'126, std::nullopt, true},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        clock.setMicroseconds(5'000'123'456);
        EventClock times(clock);
        const std::int64_t drawnAt = clock.nowMicroseconds();
        clock.advanceMicroseconds(300);
        EXPECT_EQ(times.pictureMoment(c.stampMs, drawnAt), c.expectedUs) << c.what;
        EXPECT_EQ(times.stampsTrusted(), c.trustedAfter) << c.what;
    }
}

// A display server whose clock runs three seconds behind the game's (a remote display, a server
// in another time namespace): its key stamps look like keys pressed three seconds ago, and the
// stop would come after every key. Both ends must then be taken on the game's clock.
TEST(EventClock, withAServerBehindTheGamesClockKeysAreTakenWhenHandledOnceAStopShowsIt)
{
    FakeClock clock;
    clock.setMicroseconds(5'000'123'456);
    EventClock times(clock);
    const auto serverStampMs = [&clock] { return static_cast<std::uint64_t>(clock.nowMicroseconds() / 1000 - 3'000); };

    const std::int64_t drawnAt = clock.nowMicroseconds();
    clock.advanceMicroseconds(300);
    const std::int64_t stopAt = times.pictureMoment(serverStampMs(), drawnAt).value_or(clock.nowMicroseconds());
    clock.advanceMilliseconds(250);
    const std::int64_t keyAt = times.eventMomentOrNow(serverStampMs());
    EXPECT_EQ(keyAt, clock.nowMicroseconds());
    EXPECT_EQ(keyAt - stopAt, 250'000);
}

} // namespace
