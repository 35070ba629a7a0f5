#include "platform/MidiRenderer.h"

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

TEST(MidiRenderer, everySongPeaksAtTheMusicsShareOfTheMixWhateverItsOwnLoudness)
{
    const TemporaryDirectory directory;
    const std::string loud = directory.path() + "/loud.mid";
    SoundFileWriter::writeLoudChord(loud, 16, 1.5);
    const std::string quiet = directory.path() + "/quiet.mid";
    SoundFileWriter::writeMelody(quiet, 1, 0.5, 0.0);
    const int level = int(std::lround(kMusicPeak * 32767));
    ASSERT_LT(level + int(std::lround((0.42 + 0.15) * 32767)), kMixCeiling);
    const std::string cases[] = {ZUMIKKO_ASSETS_DIR "/bgm.mid", ZUMIKKO_ASSETS_DIR "/goal.mid", loud, quiet};
    for (const std::string& song : cases) {
        const MidiRenderer::Result result = MidiRenderer().render(song, 44100, {});
        ASSERT_TRUE(result.error.empty()) << song << ": " << result.error;
        const int loudest = peak(result.pcm, 0, result.pcm.size());
        EXPECT_LE(loudest, level + 1) << song;
        EXPECT_GE(loudest, level - 1) << song << ": scaled to its peak, not merely cut";
        const auto full = std::count_if(result.pcm.begin(), result.pcm.end(), [](std::int16_t s) { return std::abs(int(s)) >= 32767; });
        EXPECT_EQ(full, 0) << song << " clips";
    }
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
