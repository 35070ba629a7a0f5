#include "tools/sounds/BackgroundMusic.h"
#include "tools/sounds/GoalFanfare.h"
#include "tools/sounds/ReelWhirr.h"
#include "tools/sounds/StartChime.h"
#include "tools/sounds/WaveWriter.h"

#include "tests/sound/MidiFileReader.h"
#include "tests/sound/WaveFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::filesystem::path assets = ZUMIKKO_SOUND_ASSETS_DIR;

int peak(const std::vector<std::int16_t>& samples, std::size_t from = 0, std::size_t count = SIZE_MAX)
{
    int largest = 0;
    for (std::size_t i = from; i < samples.size() && i - from < count; ++i)
        largest = std::max(largest, std::abs(static_cast<int>(samples[i])));
    return largest;
}

double rms(const std::vector<std::int16_t>& samples)
{
    double sum = 0;
    for (const std::int16_t s : samples)
        sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A sound that starts or stops away from zero clicks; 1 % of full scale is inaudible.
void expectNoClickAtEitherEnd(const std::vector<std::int16_t>& samples)
{
    ASSERT_FALSE(samples.empty());
    EXPECT_LE(std::abs(samples.front()), 328);
    EXPECT_LE(std::abs(samples.back()), 328);
}

TEST(SoundAssets, startSoundIsShortAndAudibleWithinItsFirstFiveMilliseconds)
{
    const auto start = WaveFileReader::fromFile(assets / "start.wav");
    ASSERT_EQ(start.sampleRate(), 44100);
    ASSERT_EQ(start.channels(), 1);
    EXPECT_LT(start.seconds(), 0.4);
    EXPECT_GT(peak(start.samples(), 0, 44100 * 5 / 1000), 3277) << "under -20 dBFS in the first 5 ms";
    EXPECT_LT(peak(start.samples()), 32767) << "clipped";
    expectNoClickAtEitherEnd(start.samples());
}

TEST(SoundAssets, rotationSoundLastsAboutAThirdOfASecondAndStaysUnderTheStartSound)
{
    const auto whirr = WaveFileReader::fromFile(assets / "kaiten.wav");
    const auto start = WaveFileReader::fromFile(assets / "start.wav");
    ASSERT_EQ(whirr.sampleRate(), 44100);
    ASSERT_EQ(whirr.channels(), 1);
    EXPECT_GE(whirr.seconds(), 0.2);
    EXPECT_LE(whirr.seconds(), 0.4);
    EXPECT_LT(peak(whirr.samples()), peak(start.samples()) / 2);
    EXPECT_LT(rms(whirr.samples()), rms(start.samples()) / 4);
    expectNoClickAtEitherEnd(whirr.samples());
}

TEST(SoundAssets, backgroundMusicLastsAboutAMinuteAndTheGoalMusicAFewSeconds)
{
    const auto bgm = MidiFileReader::fromFile(assets / "bgm.mid");
    const auto goal = MidiFileReader::fromFile(assets / "goal.mid");
    EXPECT_EQ(bgm.format(), 1);
    EXPECT_EQ(goal.format(), 1);
    EXPECT_GE(bgm.durationSeconds(), 45.0);
    EXPECT_LE(bgm.durationSeconds(), 75.0);
    EXPECT_GE(goal.durationSeconds(), 2.0);
    EXPECT_LE(goal.durationSeconds(), 8.0);
}

TEST(SoundAssets, committedFilesAreWhatTheToolsMakeNow)
{
    EXPECT_EQ(fileBytes(assets / "bgm.mid"), BackgroundMusic::compose().bytes()) << "run the regenerate_sounds target";
    EXPECT_EQ(fileBytes(assets / "goal.mid"), GoalFanfare::compose().bytes()) << "run the regenerate_sounds target";

    // Floating point may round a sample the other way on another compiler: allow one step.
    const WaveWriter wave(44100);
    const std::pair<const char*, std::vector<double>> sounds[] = {
        {"start.wav", StartChime::render(44100)},
        {"kaiten.wav", ReelWhirr::render(44100)},
    };
    for (const auto& [name, rendered] : sounds) {
        const auto committed = WaveFileReader::fromFile(assets / name).samples();
        const auto fresh = WaveFileReader(wave.bytes(rendered)).samples();
        ASSERT_EQ(committed.size(), fresh.size()) << name << ": run the regenerate_sounds target";
        for (std::size_t i = 0; i < fresh.size(); ++i)
            ASSERT_LE(std::abs(committed[i] - fresh[i]), 1) << name << " sample " << i << ": run regenerate_sounds";
    }
}

} // namespace
