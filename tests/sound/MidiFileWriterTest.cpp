#include "tools/sounds/MidiFileWriter.h"

#include "tests/sound/MidiFileReader.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

namespace {

using Note = std::tuple<int, int, int, int, int>; // channel, key, velocity, on tick, off tick

std::set<Note> notesIn(const MidiFileReader& file, int track)
{
    std::set<Note> notes;
    std::map<std::pair<int, int>, std::pair<int, int>> sounding; // channel, key -> velocity, on tick
    for (const auto& e : file.tracks()[static_cast<std::size_t>(track)]) {
        const int kind = e.data[0] >> 4;
        const int channel = e.data[0] & 0x0F;
        if (kind == 0x9 && e.data[2] > 0) {
            EXPECT_FALSE(sounding.contains({channel, e.data[1]})) << "key struck twice without release";
            sounding[{channel, e.data[1]}] = {e.data[2], e.tick};
        } else if (kind == 0x8 || kind == 0x9) {
            const auto on = sounding.find({channel, e.data[1]});
            if (on == sounding.end()) {
                ADD_FAILURE() << "release of a key that is not sounding, at tick " << e.tick;
                continue;
            }
            notes.insert({channel, e.data[1], on->second.first, on->second.second, e.tick});
            sounding.erase(on);
        }
    }
    EXPECT_TRUE(sounding.empty()) << "notes left sounding at the end of the track";
    return notes;
}

TEST(MidiFileWriter, headerDeclaresFormatOneTheTrackCountAndTheResolution)
{
    MidiFileWriter song(96);
    song.addTrack("one");
    song.addTrack("two");
    const auto bytes = song.bytes();
    const std::vector<std::uint8_t> header{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, 0, 96};
    ASSERT_GE(bytes.size(), header.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 14), header);
}

TEST(MidiFileWriter, everyTrackIsAsLongAsDeclaredAndEndsTogetherWithTheSong)
{
    MidiFileWriter song(480);
    song.setTempo(0, 150);
    const int quiet = song.addTrack("quiet");
    const int busy = song.addTrack("busy");
    song.programChange(quiet, 0, 1, 48);
    song.note(busy, 100, 5000, 2, 60, 90);

    // The reader throws when a chunk's declared length differs from its events or a track
    // does not end with end-of-track.
    const MidiFileReader file(song.bytes());
    ASSERT_EQ(file.tracks().size(), 3u);
    for (const auto& track : file.tracks()) {
        EXPECT_EQ(track.back().tick, 5100);
        EXPECT_EQ(track.back().data, (std::vector<std::uint8_t>{0xFF, 0x2F, 0x00}));
    }
}

TEST(MidiFileWriter, notesReadBackAsTheChannelsKeysVelocitiesAndTimesWritten)
{
    const std::set<Note> written{
        {0, 60, 100, 0, 480},       // a plain quarter
        {0, 64, 80, 0, 960},        // struck with it, held longer
        {0, 60, 70, 480, 600},      // the same key again the moment it is released
        {9, 36, 127, 127, 128},     // the shortest note
        {15, 127, 1, 128, 16511},   // the extremes of every range, a two-byte delta
        {3, 0, 64, 40000, 2137152}, // three- and four-byte deltas
    };
    MidiFileWriter song(480);
    const int track = song.addTrack("notes");
    for (const auto& [channel, key, velocity, on, off] : written)
        song.note(track, on, off - on, channel, key, velocity);

    EXPECT_EQ(notesIn(MidiFileReader(song.bytes()), track), written);
}

TEST(MidiFileWriter, deltaTimesUseTheShortestVariableLengthForm)
{
    const std::pair<int, std::vector<std::uint8_t>> cases[] = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& [tick, expected] : cases) {
        MidiFileWriter song(96);
        song.programChange(song.addTrack(""), tick, 0, 5);
        const auto bytes = song.bytes();
        // header 14, conductor track 8 + 4 (end-of-track at delta tick, written below), then track 1
        const std::size_t conductorEnd = 14 + 8 + expected.size() + 3;
        std::vector<std::uint8_t> body(bytes.begin() + static_cast<std::ptrdiff_t>(conductorEnd + 8), bytes.end());
        std::vector<std::uint8_t> wanted = expected;
        wanted.insert(wanted.end(), {0xC0, 0x05, 0x00, 0xFF, 0x2F, 0x00});
        EXPECT_EQ(body, wanted) << "tick " << tick;
    }
}

TEST(MidiFileWriter, durationInSecondsFollowsEveryTempoChange)
{
    MidiFileWriter song(480);
    song.setTempo(0, 120);   // two beats: 1 s
    song.setTempo(960, 60);  // two beats: 2 s
    song.setTempo(1920, 240); // four beats: 1 s
    song.note(song.addTrack("x"), 0, 3840, 0, 60, 100);

    const MidiFileReader file(song.bytes());
    EXPECT_DOUBLE_EQ(file.seconds(960), 1.0);
    EXPECT_DOUBLE_EQ(file.seconds(1440), 2.0);
    EXPECT_DOUBLE_EQ(file.durationSeconds(), 4.0);
}

TEST(MidiFileWriter, refusesValuesAMidiFileCannotCarryAndKeepsWhatWasWritten)
{
    MidiFileWriter song(480);
    const int track = song.addTrack("t");
    song.note(track, 0, 480, 0, 60, 100);
    const auto before = song.bytes();

    EXPECT_THROW(song.note(track, 0, 480, 16, 60, 100), std::invalid_argument);
    EXPECT_THROW(song.note(track, 0, 480, 0, 128, 100), std::invalid_argument);
    EXPECT_THROW(song.note(track, 0, 480, 0, 60, 0), std::invalid_argument);
    EXPECT_THROW(song.note(track, 0, 0, 0, 60, 100), std::invalid_argument);
    EXPECT_THROW(song.note(track, -1, 480, 0, 60, 100), std::invalid_argument);
    EXPECT_THROW(song.note(track, 0x0FFFFFFF, 1, 0, 60, 100), std::invalid_argument);
    EXPECT_THROW(song.note(track + 1, 0, 480, 0, 60, 100), std::invalid_argument);
    EXPECT_THROW(song.programChange(track, 0, 0, 128), std::invalid_argument);
    EXPECT_THROW(song.setTempo(0, 0), std::invalid_argument);
    EXPECT_THROW(song.setTimeSignature(0, 3, 3), std::invalid_argument);
    EXPECT_EQ(song.bytes(), before);
}

} // namespace
