#include "platform/SdlAudioSystem.h"
#include "platform/SdlMediaDevice.h"

#include "tests/fakes/ScopedEnvironment.h"
#include "tests/fakes/TemporaryDirectory.h"
#include "tests/platform/GatedMidiRenderer.h"
#include "tests/platform/MediaTestSupport.h"
#include "tests/platform/MixedOutputProbe.h"
#include "tests/platform/PositionCode.h"
#include "tests/platform/SoundFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace {

using MediaTestSupport::eventually;
using MediaTestSupport::send;
using enum MediaCommand;

struct SoundFiles {
    SoundFiles()
    {
        SoundFileWriter::writeWave(wave, PositionCode::frames(SdlAudioSystem::frequency), 2, SdlAudioSystem::frequency);
        SoundFileWriter::writeMelody(midi, 1, 0.5, 0.0);
        SoundFileWriter::writeMelody(longMidi, 120, 0.5, 0.0);
    }
    TemporaryDirectory directory;
    const std::string wave = directory.path() + "/start.wav";
    const std::string midi = directory.path() + "/goal.mid";
    const std::string longMidi = directory.path() + "/bgm.mid";
};

TEST(SdlAudioSystem, withoutAnAudioDeviceItSaysSoOnceAndEveryDeviceIsSilentButTakesEveryCommand)
{
    const SoundFiles files;
    ::testing::internal::CaptureStderr();
    std::optional<SdlAudioSystem> audio;
    {
        const ScopedEnvironment noDriver("SDL_AUDIODRIVER", "no-such-driver");
        audio.emplace();
    }
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(audio->isOpen());
    EXPECT_NE(report.find("no audio output"), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;

    for (const std::string& path : {files.wave, files.midi}) {
        SCOPED_TRACE(path);
        SdlMediaDevice device(*audio);
        device.setFileName(path);
        send(device, {Open, Stop, Prev, Play, Stop, Play});
        EXPECT_EQ(device.channel(), -1);
        EXPECT_FALSE(device.isReady());
        EXPECT_FALSE(device.isLoading()) << "nothing to render for when nothing can sound";
        send(device, {Close, Play, Open});
        EXPECT_FALSE(device.isReady());
    }
}

TEST(SdlAudioSystem, aSecondAudioSystemStaysSilentAndLeavesTheFirstPlaying)
{
    const SoundFiles files;
    SdlAudioSystem audio;
    ASSERT_TRUE(audio.isOpen());
    const MixedOutputProbe probe(audio);
    SdlMediaDevice device(audio);
    device.setFileName(files.wave);
    device.command(Open);

    ::testing::internal::CaptureStderr();
    {
        const SdlAudioSystem second;
        EXPECT_FALSE(second.isOpen());
    }
    ::testing::internal::GetCapturedStderr();

    const auto since = probe.nextIndex();
    device.command(Play);
    EXPECT_TRUE(probe.waitFor(since, [](const MixedOutputProbe::Block& b) { return !b.silent(); }));
}

TEST(SdlAudioSystem, closingItWhileMidiFilesRenderJoinsTheWorkersAndLeavesItsDevicesSilent)
{
    const SoundFiles files;
    auto audio = std::make_unique<SdlAudioSystem>();
    ASSERT_TRUE(audio->isOpen());
    auto gated = std::make_shared<GatedMidiRenderer>();  // never opened: only a cancel ends it
    SdlMediaDevice waiting(*audio, gated);
    SdlMediaDevice synthesized(*audio);  // the real synthesizer, busy with a minute of music
    SdlMediaDevice wave(*audio);
    waiting.setFileName(files.midi);
    synthesized.setFileName(files.longMidi);
    wave.setFileName(files.wave);
    for (SdlMediaDevice* device : {&waiting, &synthesized, &wave})
        send(*device, {Open, Play});
    ASSERT_TRUE(waiting.isLoading());

    audio.reset();

    EXPECT_EQ(gated->cancelled(), 1);
    for (SdlMediaDevice* device : {&waiting, &synthesized, &wave}) {
        EXPECT_FALSE(device->isLoading());
        EXPECT_FALSE(device->isReady());
        send(*device, {Stop, Prev, Play, Open, Play, Close});
        EXPECT_FALSE(device->isReady());
        EXPECT_FALSE(device->isLoading());
    }
}

} // namespace

TEST(SdlAudioSystem, leavesTerminationSignalsToTheProgram)
{
    // SDL's own handlers would swallow SIGTERM and SIGINT: the game could not be killed. The
    // defaults are set first: a shell starting the tests in the background ignores SIGINT.
    const int signals[] = {SIGTERM, SIGINT};
    struct sigaction inherited[2] {};
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int i = 0; i < 2; ++i)
        sigaction(signals[i], &defaults, &inherited[i]);
    {
        SdlAudioSystem audio;
        for (const int signal : signals) {
            struct sigaction action {};
            sigaction(signal, nullptr, &action);
            EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
        }
    }
    for (int i = 0; i < 2; ++i)
        sigaction(signals[i], &inherited[i], nullptr);
}

namespace {

// A short position-coded sound, played to its end, then played again from rest: the mixer must
// fall asleep once nothing sounds (no passes run), and the Play that wakes it must sound in the
// very first pass, from its first frame, with nothing lost at either end.
TEST(SdlAudioSystem, theMixerRestsWhileNothingSoundsAndAPlayFromRestLosesNoFrame)
{
    TemporaryDirectory directory;
    const std::string path = directory.path() + "/chime.wav";
    constexpr long frames = SdlAudioSystem::frequency / 20;
    SoundFileWriter::writeWave(path, PositionCode::frames(frames), 2, SdlAudioSystem::frequency);
    SdlAudioSystem audio;
    ASSERT_TRUE(audio.isOpen());
    const MixedOutputProbe probe(audio, true);
    SdlMediaDevice device(audio);
    device.setFileName(path);
    device.command(Open);
    ASSERT_TRUE(eventually([&] { return audio.isResting(); })) << "the mixer never rested before any sound";

    for (const char* round : {"first play", "play from rest"}) {
        SCOPED_TRACE(round);
        const auto since = probe.nextIndex();
        send(device, {Stop, Prev, Play});
        ASSERT_TRUE(probe.waitFor(since, [](const MixedOutputProbe::Block& b) { return b.lastPosition == frames - 1; }))
            << "the sound never played to its end";
        ASSERT_TRUE(eventually([&] { return audio.isResting(); })) << "the mixer went on after the sound ended";
        const auto blocks = probe.collect(since, probe.nextIndex() - since);
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks.front().firstPosition, 0);
        EXPECT_EQ(blocks.front().firstSoundOffset, 0) << "the sound should start with the pass that woke";
        long heard = 0;
        for (const auto& block : blocks) {
            EXPECT_TRUE(block.inOrder);
            heard += block.soundFrames;
        }
        EXPECT_EQ(heard, frames) << "frames lost or held back at rest";
        // Resting means no pass runs at all, not silent passes.
        const auto restingFrom = probe.nextIndex();
        EXPECT_FALSE(probe.waitFor(restingFrom, [](const auto&) { return true; }, std::chrono::milliseconds(200)));
    }
}

} // namespace

namespace {

// Qt ends the program through exit() when the display goes away; the audio thread may be
// resting then, and the program must still end (a hang here shows as the test's timeout).
TEST(SdlAudioSystemDeathTest, exitWhileTheMixerRestsEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto* audio = new SdlAudioSystem;
            while (audio->isOpen() && !audio->isResting())
                std::this_thread::yield();
            std::exit(audio->isOpen() ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
