#include "game/TickSchedule.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

// Runs ticks against a timer that wakes `lateUs(i)` after the time it was armed for, with each
// tick's work taking `workUs`; returns the periods between tick starts.
template <typename Lateness>
std::vector<double> simulate(int delayMs, std::int64_t workUs, int ticks, Lateness lateUs)
{
    TickSchedule schedule;
    std::int64_t now = 1'000'000;
    schedule.restart(now);
    std::vector<double> periods;
    std::int64_t previousStart = now;
    for (int i = 0; i < ticks; ++i) {
        const std::int64_t start = now;
        if (i > 0)
            periods.push_back((start - previousStart) / 1000.0);
        previousStart = start;
        now += workUs;
        now += schedule.microsecondsToNext(start, now, delayMs) + lateUs(i);
    }
    return periods;
}

double mean(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

TEST(TickSchedule, lateWakeUpsDoNotAddUpSoTheMeanPeriodIsTheDelayPlusTheWork)
{
    // A timer that always wakes 0.1 to 0.9 ms late.
    for (const int delay : {5, 9, 21, 37}) {
        const auto periods = simulate(delay, 40, 400, [](int i) { return 100 + (i * 373) % 800; });
        EXPECT_NEAR(mean(periods), delay + 0.040, 0.01) << "delay " << delay;
        for (const double period : periods)
            EXPECT_LT(period, delay + 0.04 + 0.8) << "delay " << delay;
    }
}

TEST(TickSchedule, aTickThatMissedItsSlotStartsTheTimelineAfreshInsteadOfRushing)
{
    TickSchedule schedule;
    schedule.restart(0);
    EXPECT_EQ(schedule.microsecondsToNext(0, 10, 5), 5'000);
    // The next tick comes 300 ms late (a modal window was open): no burst of catch-up ticks.
    EXPECT_EQ(schedule.microsecondsToNext(305'000, 305'010, 5), 5'000);
    // A little late: the wait is shortened by the lateness.
    EXPECT_EQ(schedule.microsecondsToNext(310'310, 310'320, 9), 8'700);
}

TEST(TickSchedule, aSlowTickNeverAsksForANegativeWait)
{
    TickSchedule schedule;
    schedule.restart(0);
    EXPECT_EQ(schedule.microsecondsToNext(0, 12'000, 5), 5'000) << "the delay follows the work";
    EXPECT_EQ(schedule.microsecondsToNext(18'500, 18'600, 5), 3'500) << "1.5 ms late: the next wait is shorter";
    EXPECT_EQ(schedule.microsecondsToNext(24'000, 29'500, 0), 0) << "work longer than the slot: no wait";
}

} // namespace
