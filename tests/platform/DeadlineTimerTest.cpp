#include "platform/DeadlineTimer.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Lets the event loop run until a reference timer of `milliseconds` has fired, so that a timer
// that should stay silent has had its chance.
void letTimePass(int milliseconds)
{
    bool passed = false;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, [&passed] { passed = true; });
    QTRY_VERIFY(passed);
}

TEST(DeadlineTimer, firesOnceForEachStartAndNotAfterAStop)
{
    DeadlineTimer timer;
    QSignalSpy fired(&timer, &DeadlineTimer::timeout);

    timer.startIn(1'000);
    EXPECT_TRUE(timer.isActive());
    QTRY_COMPARE(fired.count(), 1);
    EXPECT_FALSE(timer.isActive());
    letTimePass(30);
    EXPECT_EQ(fired.count(), 1) << "single-shot";

    timer.startIn(0);
    QTRY_COMPARE(fired.count(), 2);

    timer.startIn(20'000);
    timer.stop();
    letTimePass(60);
    EXPECT_EQ(fired.count(), 2);
    EXPECT_FALSE(timer.isActive());
}

TEST(DeadlineTimer, aNewStartReplacesTheDeadlineOfAnArmedTimer)
{
    DeadlineTimer timer;
    QSignalSpy fired(&timer, &DeadlineTimer::timeout);
    timer.startIn(10'000'000);
    timer.startIn(2'000);
    QTRY_COMPARE_WITH_TIMEOUT(fired.count(), 1, 2000);
}

} // namespace
