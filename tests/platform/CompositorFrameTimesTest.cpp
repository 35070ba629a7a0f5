#include "platform/CompositorFrameTimes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// Stop 7's picture reached the window at 5 s; its frame ended with the counter at 42.
constexpr std::uint32_t kStop = 7;
constexpr std::uint64_t kCounter = 42;
constexpr std::int64_t kCompletedUs = 5'000'000;

struct Message {
    enum Kind { Drawn, Timings } kind;
    std::uint64_t counter;
    std::int64_t value;  // the drawn time, or the offset of the presentation from it
    std::int64_t nowUs;  // when it comes
};

TEST(CompositorFrameTimes, aStopsPresentationIsItsFramesDrawnTimePlusTheOffsetWhereThatCanBeIt)
{
    struct Case {
        const char* what;
        std::vector<Message> messages;  // the last one is the timings whose verdict is looked at
        std::optional<std::uint32_t> stop;
        std::optional<std::int64_t> presentedAtUs;
    };
    const Case cases[] = {
        {"drawn 3 ms after the completion, presented 9 ms after that",
         {{Message::Drawn, kCounter, 5'003'000, 5'003'100}, {Message::Timings, kCounter, 9'000, 5'020'000}},
         kStop, 5'012'000},
        {"presented before it was drawn, still after the completion",
         {{Message::Drawn, kCounter, 5'010'000, 5'010'100}, {Message::Timings, kCounter, -4'000, 5'020'000}},
         kStop, 5'006'000},
        {"presented right at the completion",
         {{Message::Drawn, kCounter, 5'004'000, 5'004'100}, {Message::Timings, kCounter, -4'000, 5'020'000}},
         kStop, kCompletedUs},
        {"an offset of 0: not known",
         {{Message::Drawn, kCounter, 5'003'000, 5'003'100}, {Message::Timings, kCounter, 0, 5'020'000}},
         kStop, std::nullopt},
        {"the other offset that says not known",
         {{Message::Drawn, kCounter, 5'003'000, 5'003'100},
          {Message::Timings, kCounter, INT32_MIN, 5'020'000}},
         kStop, std::nullopt},
        {"timings without a drawn time", {{Message::Timings, kCounter, 9'000, 5'020'000}}, kStop, std::nullopt},
        {"presented before the picture was in the window",
         {{Message::Drawn, kCounter, 5'003'000, 5'003'100}, {Message::Timings, kCounter, -3'001, 5'020'000}},
         kStop, std::nullopt},
        {"presented after the timings came",
         {{Message::Drawn, kCounter, 5'003'000, 5'003'100}, {Message::Timings, kCounter, 17'001, 5'020'000}},
         kStop, std::nullopt},
        {"presented as late as believed",
         {{Message::Drawn, kCounter, 5'200'000, 5'200'100},
          {Message::Timings, kCounter, CompositorFrameTimes::kMaxDelayUs - 200'000, 5'300'000}},
         kStop, kCompletedUs + CompositorFrameTimes::kMaxDelayUs},
        {"presented later than that",
         {{Message::Drawn, kCounter, 5'200'000, 5'200'100},
          {Message::Timings, kCounter, CompositorFrameTimes::kMaxDelayUs - 200'000 + 1, 5'300'000}},
         kStop, std::nullopt},
        {"a drawn time before the completion is not taken, the compositor's own that follows is",
         {{Message::Drawn, kCounter, 4'999'999, 5'001'000},
          {Message::Drawn, kCounter, 5'003'000, 5'003'100},
          {Message::Timings, kCounter, 9'000, 5'020'000}},
         kStop, 5'012'000},
        {"a drawn time in the future is not taken",
         {{Message::Drawn, kCounter, 5'010'000, 5'003'000}, {Message::Timings, kCounter, 1'000, 5'020'000}},
         kStop, std::nullopt},
        {"a second drawn time does not replace the first",
         {{Message::Drawn, kCounter, 5'003'000, 5'003'100},
          {Message::Drawn, kCounter, 5'008'000, 5'008'100},
          {Message::Timings, kCounter, 9'000, 5'020'000}},
         kStop, 5'012'000},
        {"messages of a counter value never ended here",
         {{Message::Drawn, kCounter + 2, 5'003'000, 5'003'100}, {Message::Timings, kCounter + 2, 9'000, 5'020'000}},
         std::nullopt, std::nullopt},
        {"a drawn time of another value is not this frame's",
         {{Message::Drawn, kCounter - 2, 5'003'000, 5'003'100}, {Message::Timings, kCounter, 9'000, 5'020'000}},
         kStop, std::nullopt},
    };
    for (const Case& c : cases) {
        CompositorFrameTimes frames;
        frames.ended(kStop, kCounter, kCompletedUs);
        std::optional<CompositorFrameTimes::Verdict> verdict;
        for (const Message& m : c.messages) {
            if (m.kind == Message::Drawn)
                frames.drawn(m.counter, m.value, m.nowUs);
            else
                verdict = frames.timings(m.counter, static_cast<std::int32_t>(m.value), m.nowUs);
        }
        ASSERT_EQ(verdict.has_value(), c.stop.has_value()) << c.what;
        if (!verdict)
            continue;
        EXPECT_EQ(verdict->stop, *c.stop) << c.what;
        EXPECT_EQ(verdict->presentedAtUs, c.presentedAtUs) << c.what;
    }
}

TEST(CompositorFrameTimes, aFramesTimingsAreTakenOnceAndNotAfterItsStopWasForgotten)
{
    CompositorFrameTimes frames;
    frames.ended(kStop, kCounter, kCompletedUs);
    frames.ended(kStop + 1, kCounter + 2, kCompletedUs + 100'000);
    frames.drawn(kCounter, 5'003'000, 5'003'100);
    EXPECT_TRUE(frames.timings(kCounter, 9'000, 5'020'000).has_value());
    EXPECT_FALSE(frames.timings(kCounter, 9'000, 5'020'000).has_value()) << "a repeated message";
    frames.forget(kStop + 1);
    frames.drawn(kCounter + 2, 5'103'000, 5'103'100);
    EXPECT_FALSE(frames.timings(kCounter + 2, 9'000, 5'120'000).has_value()) << "a stop settled otherwise";

    // A stop's newer frame takes the place of its older one.
    frames.ended(kStop, kCounter + 4, kCompletedUs + 200'000);
    frames.ended(kStop, kCounter + 6, kCompletedUs + 200'000);
    EXPECT_FALSE(frames.timings(kCounter + 4, 0, 5'220'000).has_value()) << "the stop's older frame";
    EXPECT_TRUE(frames.timings(kCounter + 6, 0, 5'220'000).has_value());
}

// A compositor that sends no timings does not make the frames pile up: the oldest give way.
TEST(CompositorFrameTimes, atMostSixteenFramesAwaitTheirTimings)
{
    CompositorFrameTimes frames;
    for (std::uint32_t stop = 1; stop <= 17; ++stop)
        frames.ended(stop, 2 * stop, kCompletedUs);
    EXPECT_FALSE(frames.timings(2, 0, kCompletedUs + 1000).has_value()) << "the oldest";
    for (std::uint32_t stop = 2; stop <= 17; ++stop)
        EXPECT_EQ(frames.timings(2 * stop, 0, kCompletedUs + 1000).value_or(CompositorFrameTimes::Verdict{0, {}}).stop,
                  stop);
}

} // namespace
