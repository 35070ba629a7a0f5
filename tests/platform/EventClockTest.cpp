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

} // namespace
