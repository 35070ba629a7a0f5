#include "platform/SdlMediaDevice.h"

#include "tests/fakes/TemporaryDirectory.h"
#include "tests/platform/GatedMidiRenderer.h"
#include "tests/platform/MediaTestSupport.h"
#include "tests/platform/MixedOutputProbe.h"
#include "tests/platform/PositionCode.h"
#include "tests/platform/SoundFileWriter.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using Block = MixedOutputProbe::Block;
using MediaTestSupport::eventually;
using MediaTestSupport::send;
using enum MediaCommand;

constexpr long oneSecond = SdlAudioSystem::frequency;

bool sounding(const Block& block) { return !block.silent(); }
bool allSilent(const std::vector<Block>& blocks)
{
    return std::all_of(blocks.begin(), blocks.end(), [](const Block& b) { return b.silent(); });
}

class SdlMediaDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(audio.isOpen()) << "the tests need SDL_AUDIODRIVER=dummy"; }

    std::string wave(const std::string& name, long frames) const
    {
        const std::string path = directory.path() + "/" + name;
        SoundFileWriter::writeWave(path, PositionCode::frames(frames), 2, SdlAudioSystem::frequency);
        return path;
    }

    std::string midi(const std::string& name) const
    {
        const std::string path = directory.path() + "/" + name;
        SoundFileWriter::writeMelody(path, 1, 0.5, 0.0);
        return path;
    }

    // Plays the device until it is about `frames` into its sound; gives the last position heard.
    long playUntil(SdlMediaDevice& device, long frames)
    {
        const auto since = probe.nextIndex();
        device.command(Play);
        const auto block = probe.waitFor(since, [frames](const Block& b) { return b.lastPosition >= frames; });
        EXPECT_TRUE(block) << "the sound never got " << frames << " frames in";
        return block ? block->lastPosition : -1;
    }

    // The position of the last sounding frame mixed before block `before`.
    long lastPositionBefore(std::uint64_t before) const
    {
        const auto blocks = probe.collect(0, before);
        const auto last = std::find_if(blocks.rbegin(), blocks.rend(), sounding);
        return last == blocks.rend() ? -1 : last->lastPosition;
    }

    // Asserts that the next few mixing passes are silent.
    void expectSilence(const char* when)
    {
        const auto blocks = probe.collect(probe.nextIndex(), 4);
        EXPECT_EQ(blocks.size(), 4u) << when << ": the mixer stopped mixing";
        EXPECT_TRUE(allSilent(blocks)) << when;
    }

    void expectStartsFromTheBeginning(std::uint64_t since, const char* when)
    {
        const auto block = probe.waitFor(since, sounding);
        ASSERT_TRUE(block) << when << ": nothing sounded";
        EXPECT_EQ(block->firstPosition, 0) << when;
        EXPECT_EQ(block->firstSoundOffset, 0) << when << ": the sound should start with the mixing pass";
        EXPECT_TRUE(block->inOrder) << when << ": frames out of order or mixed with another copy";
    }

    TemporaryDirectory directory;
    SdlAudioSystem audio;
    MixedOutputProbe probe{audio};  // after the audio system: it hooks the open mixer
};

TEST_F(SdlMediaDeviceTest, openLoadsSilentlyAndPlaySoundsTheFileFromItsFirstFrame)
{
    SdlMediaDevice device(audio);
    device.setFileName(wave("start.wav", oneSecond));
    device.command(Open);
    ASSERT_TRUE(device.isReady());
    expectSilence("after Open");

    const auto since = probe.nextIndex();
    device.command(Play);
    expectStartsFromTheBeginning(since, "after Play");
    EXPECT_EQ(Mix_Playing(device.channel()), 1);
}

TEST_F(SdlMediaDeviceTest, stopPausesAndPlayResumesAtTheVeryNextFrame)
{
    // Wave files are loaded by the mixer; MIDI files become PCM the device owns. Both must pause
    // and resume alike.
    auto rendered = std::make_shared<GatedMidiRenderer>(2 * oneSecond);
    rendered->open();
    struct Kind {
        const char* name;
        std::string path;
        std::shared_ptr<const MidiRenderer> renderer;
    };
    const Kind kinds[] = {
        {"wave", wave("long.wav", 2 * oneSecond), std::make_shared<MidiRenderer>()},
        {"rendered MIDI", midi("song.mid"), rendered},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        SdlMediaDevice device(audio, kind.renderer);
        device.setFileName(kind.path);
        device.command(Open);
        device.waitUntilSettled();
        ASSERT_TRUE(device.isReady());

        playUntil(device, oneSecond / 10);
        device.command(Stop);
        const auto stoppedAt = probe.nextIndex();
        EXPECT_EQ(Mix_Paused(device.channel()), 1);
        expectSilence("while stopped");
        const long lastHeard = lastPositionBefore(stoppedAt);

        const auto since = probe.nextIndex();
        device.command(Play);
        const auto resumed = probe.waitFor(since, sounding);
        ASSERT_TRUE(resumed);
        EXPECT_EQ(resumed->firstPosition, lastHeard + 1);
        EXPECT_TRUE(resumed->inOrder);
    }
}

TEST_F(SdlMediaDeviceTest, prevThenPlayStartsOverFromTheBeginningWhetherPlayingOrStopped)
{
    struct Case {
        const char* name;
        bool stopFirst;
        std::initializer_list<MediaCommand> commands;
    };
    const Case cases[] = {
        {"cue while playing", false, {Stop, Prev, Play}},
        {"cue while stopped", true, {Stop, Prev, Play}},
        {"rotation restart while playing", false, {Prev, Play}},
        {"rotation restart while stopped", true, {Prev, Play}},
    };
    SdlMediaDevice device(audio);
    device.setFileName(wave("long.wav", 2 * oneSecond));
    device.command(Open);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        send(device, {Stop, Prev});
        playUntil(device, oneSecond / 10);
        if (c.stopFirst) {
            device.command(Stop);
            expectSilence("stopped");
        }
        const auto since = probe.nextIndex();
        send(device, c.commands);
        expectStartsFromTheBeginning(since, c.name);
    }
}

TEST_F(SdlMediaDeviceTest, rotationSoundRestartedAboutEveryMixingPassBeginsCleanlyEachTime)
{
    SdlMediaDevice device(audio);
    device.setFileName(wave("kaiten.wav", oneSecond * 3 / 10));
    device.command(Open);
    for (int restart = 0; restart < 30; ++restart) {
        SCOPED_TRACE(restart);
        const auto since = probe.nextIndex();
        send(device, {Prev, Play});
        const auto block = probe.waitFor(since, sounding);
        ASSERT_TRUE(block);
        ASSERT_EQ(block->firstPosition, 0);
        ASSERT_TRUE(block->inOrder);
    }
    // After the last restart the sound runs on, alone and in order.
    const auto tail = probe.collect(probe.nextIndex(), 3);
    ASSERT_EQ(tail.size(), 3u);
    for (const Block& block : tail)
        EXPECT_TRUE(block.silent() || block.inOrder);
}

TEST_F(SdlMediaDeviceTest, playAfterTheSoundHasEndedStaysSilentUntilPrev)
{
    SdlMediaDevice device(audio);
    device.setFileName(wave("short.wav", 2000));
    device.command(Open);
    device.command(Play);
    ASSERT_TRUE(eventually([&] { return Mix_Playing(device.channel()) == 0; }));

    device.command(Play);
    expectSilence("Play at the end");

    const auto since = probe.nextIndex();
    send(device, {Prev, Play});
    expectStartsFromTheBeginning(since, "Prev, Play at the end");
}

TEST_F(SdlMediaDeviceTest, startSoundPlaysOverAnotherDeviceWithoutDisturbingIt)
{
    SdlMediaDevice music(audio);
    music.setFileName(wave("bgm.wav", 2 * oneSecond));
    music.command(Open);
    // The effect is silent on the left, so the music's position still reads there.
    SdlMediaDevice effect(audio);
    const std::string effectPath = directory.path() + "/start.wav";
    std::vector<std::int16_t> effectFrames;
    for (int i = 0; i < 4000; ++i)
        effectFrames.insert(effectFrames.end(), {0, 1000});
    SoundFileWriter::writeWave(effectPath, effectFrames, 2, SdlAudioSystem::frequency);
    effect.setFileName(effectPath);
    effect.command(Open);
    ASSERT_NE(music.channel(), effect.channel());

    const long before = playUntil(music, oneSecond / 10);
    const auto since = probe.nextIndex();
    send(effect, {Stop, Prev, Play});
    const auto together = probe.waitFor(since, [](const Block& b) { return b.maxRight > 1000; });
    EXPECT_TRUE(together) << "the effect never sounded over the music";
    ASSERT_TRUE(eventually([&] { return Mix_Playing(effect.channel()) == 0; }));

    const auto after = probe.waitFor(probe.nextIndex(), sounding);
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->inOrder);
    EXPECT_GT(after->firstPosition, before) << "the music was restarted";
    EXPECT_EQ(Mix_Paused(music.channel()), 0);
}

TEST_F(SdlMediaDeviceTest, unusableFilesLeaveTheDeviceSilentWithOneLineOnStderrAndEveryCommandHarmless)
{
    struct Case {
        const char* name;
        bool exists;
        std::string content;
    };
    const Case cases[] = {
        {"missing.wav", false, ""},
        {"garbage.wav", true, std::string("RIFF\x10\x00\x00\x00WAVEjunk and more junk", 30)},
        {"empty.wav", true, ""},
        {"missing.mid", false, ""},
        {"garbage.mid", true, "MThd but nothing after it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = directory.path() + "/" + c.name;
        if (c.exists)
            SoundFileWriter::writeBytes(path, c.content);
        SdlMediaDevice device(audio);
        device.setFileName(path);

        ::testing::internal::CaptureStderr();
        send(device, {Open, Play});
        device.waitUntilSettled();
        const std::string report = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(device.isReady());
        EXPECT_NE(report.find(path), std::string::npos) << report;
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;

        send(device, {Stop, Prev, Play, Stop, Close, Play});
        expectSilence("commands on an unusable file");
    }
}

TEST_F(SdlMediaDeviceTest, playWhileAMidiFileRendersStartsItFromTheBeginningWhenReady)
{
    // Less than the lead is rendered when the rendering is held: too little to start on.
    auto renderer = std::make_shared<GatedMidiRenderer>(oneSecond, SdlMediaDevice::leadFrames / 2);
    SdlMediaDevice device(audio, renderer);
    device.setFileName(midi("bgm.mid"));
    device.command(Open);
    renderer->waitUntilHeld();
    ASSERT_TRUE(device.isLoading());
    send(device, {Stop, Prev, Play});
    expectSilence("while rendering");

    const auto since = probe.nextIndex();
    renderer->open();
    expectStartsFromTheBeginning(since, "once rendered");
    EXPECT_TRUE(device.isReady());
}

TEST_F(SdlMediaDeviceTest, aMidiFileStillRenderingPlaysOnceALeadIsRenderedAndStopPrevPlayKeepTheirMeaning)
{
    // The first second is rendered; the rest waits for the test.
    auto renderer = std::make_shared<GatedMidiRenderer>(3 * oneSecond, oneSecond);
    SdlMediaDevice device(audio, renderer);
    device.setFileName(midi("bgm.mid"));
    auto since = probe.nextIndex();
    send(device, {Open, Stop, Prev, Play});
    expectStartsFromTheBeginning(since, "Play while rendering");
    ASSERT_TRUE(device.isLoading()) << "the rendering should still be held";

    playUntil(device, oneSecond / 20);
    device.command(Stop);
    const auto stoppedAt = probe.nextIndex();
    EXPECT_EQ(Mix_Paused(device.channel()), 1);
    expectSilence("Stop while rendering");
    since = probe.nextIndex();
    device.command(Play);
    const auto resumed = probe.waitFor(since, sounding);
    ASSERT_TRUE(resumed);
    EXPECT_EQ(resumed->firstPosition, lastPositionBefore(stoppedAt) + 1) << "Play after Stop should resume";

    since = probe.nextIndex();
    send(device, {Prev, Play});
    expectStartsFromTheBeginning(since, "Prev, Play while rendering");
    ASSERT_TRUE(device.isLoading());

    // The rest arrives while it plays: it plays on into it, in order, without starting over.
    since = probe.nextIndex();
    renderer->open();
    device.waitUntilSettled();
    EXPECT_TRUE(device.isReady());
    const auto later = probe.waitFor(since, [](const Block& b) { return b.lastPosition > oneSecond * 3 / 2; },
                                     std::chrono::seconds(10));
    ASSERT_TRUE(later) << "the part rendered after the start never played";
    const auto blocks = probe.collect(since, later->index - since + 1);
    EXPECT_TRUE(std::all_of(blocks.begin(), blocks.end(), [](const Block& b) { return b.silent() || b.inOrder; }));
    EXPECT_TRUE(std::none_of(blocks.begin(), blocks.end(), [](const Block& b) { return b.firstPosition == 0; }));
}

TEST_F(SdlMediaDeviceTest, aRenderingThatFailsWhileItPlaysFallsSilentWithOneLineOnStderr)
{
    auto renderer = std::make_shared<GatedMidiRenderer>(3 * oneSecond, oneSecond);
    SdlMediaDevice device(audio, renderer);
    device.setFileName(midi("bgm.mid"));
    const auto since = probe.nextIndex();
    send(device, {Open, Play});
    ASSERT_TRUE(probe.waitFor(since, sounding));

    ::testing::internal::CaptureStderr();
    renderer->fail();
    device.waitUntilSettled();
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_FALSE(device.isReady());
    EXPECT_EQ(Mix_Playing(device.channel()), 0);
    send(device, {Play, Stop, Prev, Play});
    expectSilence("after the rendering failed");
}

TEST_F(SdlMediaDeviceTest, stopOrCloseWhileAMidiFileRendersCancelsThePlayWaitingForIt)
{
    for (const MediaCommand cancel : {Stop, Close}) {
        SCOPED_TRACE(toString(cancel));
        auto renderer = std::make_shared<GatedMidiRenderer>();
        SdlMediaDevice device(audio, renderer);
        device.setFileName(midi("goal.mid"));
        send(device, {Open, Play, cancel});
        renderer->open();
        device.waitUntilSettled();
        expectSilence("after the rendering");

        if (cancel == Close) {
            EXPECT_FALSE(device.isReady());
            EXPECT_TRUE(eventually([&] { return renderer->cancelled() == 1; }))
                << "Close should ask the rendering to give up";
        } else {
            EXPECT_TRUE(device.isReady());
            const auto since = probe.nextIndex();
            device.command(Play);
            expectStartsFromTheBeginning(since, "Play after the cancelled one");
        }
    }
}

TEST_F(SdlMediaDeviceTest, closeEndsThePlayingAndLaterCommandsDoNothingUntilTheNextOpen)
{
    SdlMediaDevice device(audio);
    device.setFileName(wave("start.wav", oneSecond));
    device.command(Open);
    playUntil(device, 100);

    device.command(Close);
    EXPECT_EQ(Mix_Playing(device.channel()), 0);
    EXPECT_FALSE(device.isReady());
    send(device, {Play, Stop, Prev, Play, Close});
    expectSilence("after Close");

    device.command(Open);
    const auto since = probe.nextIndex();
    device.command(Play);
    expectStartsFromTheBeginning(since, "after Open again");
}

TEST_F(SdlMediaDeviceTest, aMidiFileRenderedWithTheSoundfontSoundsAfterOpenAndPlay)
{
    SdlMediaDevice device(audio);
    device.setFileName(midi("goal.mid"));
    const auto since = probe.nextIndex();
    send(device, {Open, Stop, Prev, Play});
    device.waitUntilSettled();
    ASSERT_TRUE(device.isReady()) << "rendering failed; is timgm6mb-soundfont installed?";
    EXPECT_TRUE(probe.waitFor(since, sounding));
}

TEST_F(SdlMediaDeviceTest, theDeliveredSoundsTogetherLeaveTheMixUnderMinusOneDecibel)
{
    constexpr int ceiling = 29204;  // -1 dBFS
    SdlMediaDevice start(audio);
    SdlMediaDevice kaiten(audio);
    SdlMediaDevice music(audio);
    start.setFileName(ZUMIKKO_ASSETS_DIR "/start.wav");
    kaiten.setFileName(ZUMIKKO_ASSETS_DIR "/kaiten.wav");
    // The background music and the goal music never play together; each meets the other two.
    for (const char* song : {"/bgm.mid", "/goal.mid"}) {
        SCOPED_TRACE(song);
        music.setFileName(std::string(ZUMIKKO_ASSETS_DIR) + song);
        for (SdlMediaDevice* device : {&start, &kaiten, &music})
            device->command(Open);
        // However long a loaded machine takes to render the song: ctest's timeout is the limit.
        music.waitUntilSettled();
        ASSERT_TRUE(start.isReady() && kaiten.isReady() && music.isReady());
        const auto since = probe.nextIndex();
        // All three from their first frame, back to back as a new game sends them: the moment
        // where they add up most.
        for (SdlMediaDevice* device : {&music, &start, &kaiten})
            send(*device, {Stop, Prev, Play});
        // About a second of mixing passes: the start chime and the whirr end well before.
        const auto blocks = probe.collect(since, 100);
        ASSERT_FALSE(blocks.empty());
        int loudest = 0;
        for (const auto& block : blocks)
            loudest = std::max(loudest, block.peak);
        EXPECT_LE(loudest, ceiling);
        EXPECT_GT(loudest, ceiling / 3) << "the sounds did not play";
        for (SdlMediaDevice* device : {&start, &kaiten, &music})
            device->command(Close);
    }
}

} // namespace
