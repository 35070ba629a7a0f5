#include "platform/TerminationSignals.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// Without the handler, either signal would end this test process on the spot.
TEST(TerminationSignals, sigtermAndSighupArriveOnTheEventLoopInsteadOfEndingTheProcess)
{
    const TerminationSignals watcher;
    QSignalSpy received(&watcher, &TerminationSignals::received);
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGTERM}) {
        received.clear();
        ASSERT_EQ(std::raise(signalNumber), 0);
        // The handler itself must not call into Qt: nothing arrives before the loop runs.
        EXPECT_EQ(received.count(), 0);
        ASSERT_TRUE(received.wait(5000)) << signalNumber;
        ASSERT_EQ(received.count(), 1);
        EXPECT_EQ(received.front().front().toInt(), signalNumber);
    }
}

} // namespace
