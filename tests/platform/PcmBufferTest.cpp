#include "platform/PcmBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A song's buffer is silence until rendered into, and trimming its tail never moves or grows it:
// a chunk may already be reading it in place.
TEST(PcmBuffer, startsSilentAndOnlyEverShrinksInPlace)
{
    PcmBuffer buffer(48'000);
    ASSERT_EQ(buffer.samples().size(), 48'000u);
    EXPECT_TRUE(std::all_of(buffer.samples().begin(), buffer.samples().end(), [](std::int16_t s) { return s == 0; }));
    const std::int16_t* start = buffer.samples().data();

    buffer.shrink(30'000);
    EXPECT_EQ(buffer.samples().size(), 30'000u);
    buffer.shrink(40'000);
    EXPECT_EQ(buffer.samples().size(), 30'000u) << "grew back past what was trimmed";
    EXPECT_EQ(buffer.samples().data(), start);
}

} // namespace
