#include "tools/sounds/WaveWriter.h"

#include "tests/sound/WaveFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

std::uint32_t little32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t little16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::string tag(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

TEST(WaveWriter, headerDeclaresRiffSizesMonoSixteenBitPcmAndTheRate)
{
    const auto bytes = WaveWriter(22050).bytes({0.0, 0.5, -0.5});

    ASSERT_EQ(bytes.size(), 44u + 6u);
    EXPECT_EQ(tag(bytes, 0), "RIFF");
    EXPECT_EQ(little32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(tag(bytes, 8), "WAVE");
    EXPECT_EQ(tag(bytes, 12), "fmt ");
    EXPECT_EQ(little32(bytes, 16), 16u);
    EXPECT_EQ(little16(bytes, 20), 1u);        // integer PCM
    EXPECT_EQ(little16(bytes, 22), 1u);        // mono
    EXPECT_EQ(little32(bytes, 24), 22050u);    // frames per second
    EXPECT_EQ(little32(bytes, 28), 44100u);    // bytes per second
    EXPECT_EQ(little16(bytes, 32), 2u);        // bytes per frame
    EXPECT_EQ(little16(bytes, 34), 16u);       // bits per sample
    EXPECT_EQ(tag(bytes, 36), "data");
    EXPECT_EQ(little32(bytes, 40), 6u);
}

TEST(WaveWriter, samplesRoundTripToTheNearestStepAndClipAtFullScale)
{
    const std::vector<double> in{0.0, 1.0, -1.0, 0.5, -0.25, 1e-6, 3.0, -7.0, std::numeric_limits<double>::quiet_NaN()};
    const std::vector<std::int16_t> expected{0, 32767, -32767, 16384, -8192, 0, 32767, -32767, 0};

    const WaveFileReader file(WaveWriter(44100).bytes(in));
    EXPECT_EQ(file.sampleRate(), 44100);
    EXPECT_EQ(file.channels(), 1);
    EXPECT_EQ(file.samples(), expected);
}

TEST(WaveWriter, anEmptySoundIsAValidFileWithNoSamples)
{
    const WaveFileReader file(WaveWriter(8000).bytes({}));
    EXPECT_TRUE(file.samples().empty());
    EXPECT_EQ(file.sampleRate(), 8000);
}

TEST(WaveWriter, refusesASampleRateNoPlayerWouldTake)
{
    EXPECT_THROW(WaveWriter(0), std::invalid_argument);
    EXPECT_THROW(WaveWriter(-44100), std::invalid_argument);
    EXPECT_THROW(WaveWriter(10'000'000), std::invalid_argument);
}

} // namespace
