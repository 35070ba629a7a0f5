#include "platform/SeenOnlyTimer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Unseen, nothing is armed; seen again, the next tick comes after what was left of the interval
// and whole intervals follow.
TEST(SeenOnlyTimer, waitsUnarmedWhileUnseenAndGoesOnWithWhatWasLeftOfTheInterval)
{
    int ticks = 0;
    int remainingAtTick = -1;
    SeenOnlyTimer* self = nullptr;
    SeenOnlyTimer timer(400, [&] {
        ++ticks;
        remainingAtTick = self->remainingMs();
    });
    self = &timer;
    timer.start();
    EXPECT_FALSE(timer.isArmed()) << "armed before the window was ever seen";
    timer.setSeen(true);
    ASSERT_TRUE(timer.isArmed());
    QTRY_VERIFY(timer.remainingMs() <= 300);
    timer.setSeen(false);
    const int left = timer.remainingMs();
    EXPECT_FALSE(timer.isArmed());
    EXPECT_GT(left, 0);
    EXPECT_LE(left, 300);
    EXPECT_EQ(ticks, 0);

    timer.setSeen(true);
    EXPECT_TRUE(timer.isArmed());
    // A coarse timer may be put up to 5 % later; an interval started afresh would be 400 ms.
    EXPECT_LE(timer.remainingMs(), left + left / 20 + 1) << "the interval started afresh";
    QTRY_COMPARE(ticks, 1);
    EXPECT_GT(remainingAtTick, 300) << "after the first tick the interval stays what was left";
}

// A window whose exposure flickers faster than the interval still gets its ticks, and never
// more often than the interval.
TEST(SeenOnlyTimer, flickeringVisibilityNeitherStarvesNorHurriesTheTicks)
{
    int ticks = 0;
    SeenOnlyTimer timer(200, [&] { ++ticks; });
    timer.start();
    bool seen = true;
    timer.setSeen(seen);
    QTimer flicker;
    QObject::connect(&flicker, &QTimer::timeout, [&] {
        seen = !seen;
        timer.setSeen(seen);
    });
    QElapsedTimer clock;
    clock.start();
    flicker.start(15);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 5000);
    // At least three intervals of being seen (Qt may fire a coarse timer 5 % early, and each
    // pause keeps what was left to the millisecond).
    EXPECT_GE(clock.elapsed(), 3 * 200 * 90 / 100) << ticks << " ticks";
}

TEST(SeenOnlyTimer, aStoppedTimerStaysStoppedWhenSeenAgain)
{
    int ticks = 0;
    SeenOnlyTimer timer(10, [&] { ++ticks; });
    timer.start();
    timer.setSeen(true);
    QTRY_VERIFY(ticks > 0);
    timer.stop();
    timer.setSeen(false);
    timer.setSeen(true);
    EXPECT_FALSE(timer.isArmed());
    EXPECT_EQ(timer.remainingMs(), -1);
}

} // namespace
