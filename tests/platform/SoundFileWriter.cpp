#include "tests/platform/SoundFileWriter.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

constexpr int ticksPerQuarter = 480;
constexpr int ticksPerSecond = 2 * ticksPerQuarter;  // 120 beats a minute

void putLittle(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putBig(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putVariableLength(std::string& out, std::uint32_t value)
{
    std::string reversed(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0)
        reversed.push_back(static_cast<char>(0x80 | (value & 0x7F)));
    out.append(reversed.rbegin(), reversed.rend());
}

std::uint32_t ticks(double seconds) { return static_cast<std::uint32_t>(std::lround(seconds * ticksPerSecond)); }

} // namespace

namespace SoundFileWriter {

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void writeWave(const std::string& path, const std::vector<std::int16_t>& samples, int channels, int frequency)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    putLittle(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittle(out, 16, 4);
    putLittle(out, 1, 2);  // PCM
    putLittle(out, static_cast<std::uint32_t>(channels), 2);
    putLittle(out, static_cast<std::uint32_t>(frequency), 4);
    putLittle(out, static_cast<std::uint32_t>(frequency * channels * 2), 4);
    putLittle(out, static_cast<std::uint32_t>(channels * 2), 2);
    putLittle(out, 16, 2);
    out += "data";
    putLittle(out, dataBytes, 4);
    for (const std::int16_t sample : samples)
        putLittle(out, static_cast<std::uint16_t>(sample), 2);
    writeBytes(path, out);
}

void writeMelody(const std::string& path, int notes, double noteSeconds, double restSeconds)
{
    std::string track;
    putVariableLength(track, 0);
    track += "\xFF\x51\x03";
    putBig(track, 500000, 3);  // microseconds per quarter note
    putVariableLength(track, 0);
    track += std::string("\xC0\x00", 2);  // acoustic grand piano on channel 1
    for (int i = 0; i < notes; ++i) {
        const char key = static_cast<char>(60 + (i * 7) % 24);
        putVariableLength(track, 0);
        track += std::string("\x90", 1) + key + '\x64';
        putVariableLength(track, ticks(noteSeconds));
        track += std::string("\x80", 1) + key + '\x40';
    }
    putVariableLength(track, ticks(restSeconds));
    track += std::string("\xFF\x2F\x00", 3);

    std::string out = "MThd";
    putBig(out, 6, 4);
    putBig(out, 0, 2);  // format 0: one track
    putBig(out, 1, 2);
    putBig(out, ticksPerQuarter, 2);
    out += "MTrk";
    putBig(out, static_cast<std::uint32_t>(track.size()), 4);
    out += track;
    writeBytes(path, out);
}

void writeLoudChord(const std::string& path, int notes, double seconds)
{
    std::string track;
    putVariableLength(track, 0);
    track += "\xFF\x51\x03";
    putBig(track, 500000, 3);
    putVariableLength(track, 0);
    track += std::string("\xC0\x13", 2);  // church organ on channel 1
    putVariableLength(track, 0);
    track += std::string("\xC1\x3D", 2);  // brass section on channel 2
    for (int i = 0; i < notes; ++i) {
        putVariableLength(track, 0);
        track += std::string(1, static_cast<char>(0x90 | (i % 2))) + static_cast<char>(36 + i * 3) + '\x7F';
    }
    for (int i = 0; i < notes; ++i) {
        putVariableLength(track, i == 0 ? ticks(seconds) : 0);
        track += std::string(1, static_cast<char>(0x80 | (i % 2))) + static_cast<char>(36 + i * 3) + '\x40';
    }
    putVariableLength(track, ticks(0.5));
    track += std::string("\xFF\x2F\x00", 3);

    std::string out = "MThd";
    putBig(out, 6, 4);
    putBig(out, 0, 2);
    putBig(out, 1, 2);
    putBig(out, ticksPerQuarter, 2);
    out += "MTrk";
    putBig(out, static_cast<std::uint32_t>(track.size()), 4);
    out += track;
    writeBytes(path, out);
}

} // namespace SoundFileWriter
