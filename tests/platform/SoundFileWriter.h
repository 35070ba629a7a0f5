#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the small sound files the tests and the bench play.
namespace SoundFileWriter {

// A canonical PCM wave file of signed 16-bit interleaved samples.
void writeWave(const std::string& path, const std::vector<std::int16_t>& samples, int channels, int frequency);

// A type-0 MIDI file at 120 beats a minute: `notes` piano notes of `noteSeconds` each, one after
// the other, then `restSeconds` of nothing before the end of the track.
void writeMelody(const std::string& path, int notes, double noteSeconds, double restSeconds);
// `notes` keys struck together at full velocity on organ and brass, held for `seconds`: far
// louder than any song of the game.
void writeLoudChord(const std::string& path, int notes, double seconds);

void writeBytes(const std::string& path, const std::string& bytes);

} // namespace SoundFileWriter
