#include "platform/MidiRenderer.h"
#include "platform/PeakLimiter.h"

#include "tests/fakes/TemporaryDirectory.h"
#include "tests/platform/PositionCode.h"
#include "tests/platform/SoundFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int peak(const std::vector<std::int16_t>& pcm, std::size_t from, std::size_t to)
{
    int loudest = 0;
    for (std::size_t i = from; i < std::min(to, pcm.size()); ++i)
        loudest = std::max(loudest, std::abs(int(pcm[i])));
    return loudest;
}

TEST(MidiRenderer, rendersANoteForItsLengthAtTheRequestedRateAndCutsTheSilenceAfterIt)
{
    // Half a second of piano, then two and a half seconds of nothing before the track ends.
    const TemporaryDirectory directory;
    const std::string path = directory.path() + "/note.mid";
    SoundFileWriter::writeMelody(path, 1, 0.5, 2.5);
    const MidiRenderer renderer;
    for (const int rate : {44100, 22050}) {
        SCOPED_TRACE(rate);
        const MidiRenderer::Result result = renderer.render(path, rate, {});
        ASSERT_TRUE(result.error.empty()) << result.error;
        ASSERT_EQ(result.pcm.size() % 2, 0u);
        const double seconds = double(result.pcm.size()) / 2 / rate;
        // Timed by rendered frames: a rendering paced by the clock would come out far too long
        // or too short.
        EXPECT_GT(seconds, 0.5);
        EXPECT_LT(seconds, 2.5) << "the silence at the end was not cut off";
        EXPECT_GT(peak(result.pcm, 0, std::size_t(rate)), 1000) << "the note is missing";
    }
}

// -1 dBFS: the loudest sample the mix of all sounds may reach.
constexpr int kMixCeiling = 29204;
// Where the mix needs the music's loudest sample: 0.30 of full scale, so that the start chime
// (0.42) and the reel whirr (0.15) on top of it stay under the ceiling.
constexpr double kMusicPeak = 0.30;

TEST(MidiRenderer, noSongExceedsTheMusicsShareOfTheMixAndOurSongsNearlyFillIt)
{
    const TemporaryDirectory directory;
    const std::string loud = directory.path() + "/loud.mid";
    SoundFileWriter::writeLoudChord(loud, 16, 1.5);
    const std::string quiet = directory.path() + "/quiet.mid";
    SoundFileWriter::writeMelody(quiet, 1, 0.5, 0.0);
    const int level = int(std::lround(kMusicPeak * 32767));
    ASSERT_LT(level + int(std::lround((0.42 + 0.15) * 32767)), kMixCeiling);
    struct Case {
        std::string song;
        int floor;  // a silent or far too quiet rendering falls below it
    };
    // Our songs at the fixed gain come close to the ceiling without the limiter; the loud chord
    // goes far over it and is held there.
    const Case cases[] = {{ZUMIKKO_ASSETS_DIR "/bgm.mid", level * 85 / 100},
                          {ZUMIKKO_ASSETS_DIR "/goal.mid", level * 85 / 100},
                          {loud, level / 2},
                          {quiet, 1000}};
    for (const Case& c : cases) {
        const MidiRenderer::Result result = MidiRenderer().render(c.song, 44100, {});
        ASSERT_TRUE(result.error.empty()) << c.song << ": " << result.error;
        const int loudest = peak(result.pcm, 0, result.pcm.size());
        EXPECT_LE(loudest, level) << c.song;
        EXPECT_GE(loudest, c.floor) << c.song;
    }
}

TEST(PeakLimiter, keepsEverySampleUnderTheCeilingAndLeavesMusicUnderItAlone)
{
    constexpr float ceiling = 0.3f;
    constexpr std::size_t blockSamples = 2 * 256;
    // Quiet music with a burst ten times too loud, whose first sample is its loudest, in the
    // middle: the limiter must be down before the burst and back up long after it.
    std::vector<std::vector<float>> blocks;
    for (int b = 0; b < 200; ++b) {
        std::vector<float> block(blockSamples);
        const float amplitude = b == 100 ? 3.0f : 0.25f;
        for (std::size_t i = 0; i < blockSamples; ++i)
            block[i] = amplitude * float(std::sin(0.05 * double(b * blockSamples + i)));
        if (b == 100)
            block[0] = -3.0f;
        blocks.push_back(std::move(block));
    }
    const auto input = blocks;
    PeakLimiter limiter(ceiling);
    for (std::size_t b = 0; b < blocks.size(); ++b)
        limiter.apply(blocks[b], b + 1 < blocks.size() ? PeakLimiter::peakOf(input[b + 1]) : 0.0f);
    // The gain may glide but never jump, or it clicks: it is traced where the input is loud
    // enough to read it from.
    float lastGain = 1.0f;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        SCOPED_TRACE(b);
        EXPECT_LE(PeakLimiter::peakOf(blocks[b]), ceiling);
        for (std::size_t i = 0; i < blockSamples; ++i) {
            if (std::fabs(input[b][i]) < 0.05f)
                continue;
            const float gain = blocks[b][i] / input[b][i];
            ASSERT_NEAR(gain, lastGain, 0.05f) << "sample " << i;
            lastGain = gain;
        }
    }
    EXPECT_GT(PeakLimiter::peakOf(blocks[100]), ceiling * 0.9f) << "the burst should reach the ceiling";
    EXPECT_EQ(blocks[50], input[50]) << "music under the ceiling must pass unchanged";
    EXPECT_EQ(blocks.back(), input.back()) << "the gain should have recovered after the burst";
}

// Keeps what each block looked like when it was announced as final.
class RecordingSink final : public MidiRenderer::Sink {
public:
    std::span<std::int16_t> reserve(std::size_t samples) override
    {
        ++reservations;
        room.assign(samples, 0);
        return room;
    }
    void rendered(std::size_t samples) override
    {
        EXPECT_GT(samples, announced.size()) << "announced twice or backwards";
        announced.insert(announced.end(), room.begin() + long(announced.size()), room.begin() + long(samples));
        ++announcements;
    }
    int reservations = 0;
    int announcements = 0;
    std::vector<std::int16_t> room;
    std::vector<std::int16_t> announced;
};

TEST(MidiRenderer, streamsEachBlockFinalInARoomSizedBeforehandAndTheWholeSongIsWhatWasStreamed)
{
    const TemporaryDirectory directory;
    const std::string loud = directory.path() + "/loud.mid";
    SoundFileWriter::writeLoudChord(loud, 16, 3.0);
    RecordingSink sink;
    const MidiRenderer::Streamed streamed = MidiRenderer().stream(loud, 44100, {}, sink);
    ASSERT_TRUE(streamed.error.empty()) << streamed.error;
    EXPECT_EQ(sink.reservations, 1);
    EXPECT_GT(sink.announcements, 10) << "the song came in one piece, not as it was rendered";
    ASSERT_GE(sink.announced.size(), streamed.samples);
    EXPECT_GT(streamed.samples, 3u * 2 * 44100 * 9 / 10);
    EXPECT_TRUE(std::equal(sink.announced.begin(), sink.announced.end(), sink.room.begin()))
        << "a block changed after it was announced as final";
    const MidiRenderer::Result whole = MidiRenderer().render(loud, 44100, {});
    EXPECT_TRUE(std::equal(whole.pcm.begin(), whole.pcm.end(), sink.announced.begin(),
                           sink.announced.begin() + long(streamed.samples)));
    EXPECT_EQ(whole.pcm.size(), streamed.samples);
}

TEST(MidiRenderer, givesNothingButAReasonForFilesItCannotUse)
{
    const TemporaryDirectory directory;
    const std::string song = directory.path() + "/song.mid";
    SoundFileWriter::writeMelody(song, 1, 0.5, 0.0);
    const std::string wave = directory.path() + "/wave.mid";
    SoundFileWriter::writeWave(wave, PositionCode::frames(1000), 2, 44100);
    const std::string garbage = directory.path() + "/garbage.mid";
    SoundFileWriter::writeBytes(garbage, std::string("MThd\x00\x00\x00\x06 and then rubbish", 25));
    const std::string silent = directory.path() + "/silent.mid";
    SoundFileWriter::writeMelody(silent, 0, 0.0, 1.0);

    struct Case {
        const char* name;
        std::string midi;
        std::string soundFont;
    };
    const Case cases[] = {
        {"missing file", directory.path() + "/missing.mid", MidiRenderer::defaultSoundFont},
        {"a wave file", wave, MidiRenderer::defaultSoundFont},
        {"garbage after the header", garbage, MidiRenderer::defaultSoundFont},
        {"a song without notes", silent, MidiRenderer::defaultSoundFont},
        {"missing soundfont", song, directory.path() + "/missing.sf2"},
        {"a soundfont that is not one", song, song},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MidiRenderer::Result result = MidiRenderer(c.soundFont).render(c.midi, 44100, {});
        EXPECT_TRUE(result.pcm.empty());
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(MidiRenderer, givesUpWithoutAResultOrAReasonWhenAskedToStop)
{
    const TemporaryDirectory directory;
    const std::string path = directory.path() + "/long.mid";
    SoundFileWriter::writeMelody(path, 600, 0.5, 0.0);
    std::stop_source stop;
    stop.request_stop();
    const MidiRenderer::Result result = MidiRenderer().render(path, 44100, stop.get_token());
    EXPECT_TRUE(result.pcm.empty());
    EXPECT_TRUE(result.error.empty());
}

} // namespace
