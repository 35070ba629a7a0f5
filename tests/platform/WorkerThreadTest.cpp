#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

// Its owner's members go right after the worker: the job that runs must be over by then.
TEST(WorkerThreadTest, endingWaitsForTheRunningJob)
{
    std::promise<void> started;
    std::promise<void> release;
    std::atomic<int> finished = 0;
    auto worker = std::make_unique<WorkerThread>();
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id ranOn;
    worker->post([&] {
        ranOn = std::this_thread::get_id();
        started.set_value();
        release.get_future().wait();
        // Long enough that an end that did not wait would be seen.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ++finished;
    });
    started.get_future().wait();
    std::thread ending([&] { worker.reset(); });
    release.set_value();
    ending.join();
    EXPECT_EQ(finished, 1);
    EXPECT_NE(ranOn, caller);
}

} // namespace
