#include "tools/sounds/WaveWriter.h"

#include "tools/sounds/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5])
{
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

WaveWriter::WaveWriter(int sampleRate)
    : sampleRate_(sampleRate)
{
    if (sampleRate < 1000 || sampleRate > 192000)
        throw std::invalid_argument("unsupported sample rate " + std::to_string(sampleRate));
}

std::int16_t WaveWriter::toPcm(double sample)
{
    if (std::isnan(sample))
        return 0;
    const double clipped = std::clamp(sample, -1.0, 1.0);
    return static_cast<std::int16_t>(std::lround(clipped * 32767.0));
}

std::vector<std::uint8_t> WaveWriter::bytes(const std::vector<double>& samples) const
{
    constexpr std::uint16_t channels = 1;
    constexpr std::uint16_t bytesPerSample = 2;
    const std::size_t dataSize = samples.size() * bytesPerSample;
    if (dataSize > std::numeric_limits<std::uint32_t>::max() - 36)
        throw std::length_error("too many samples for a WAVE file");

    std::vector<std::uint8_t> out;
    out.reserve(44 + dataSize);
    putTag(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(36 + dataSize));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // integer PCM
    put16(out, channels);
    put32(out, static_cast<std::uint32_t>(sampleRate_));
    put32(out, static_cast<std::uint32_t>(sampleRate_) * channels * bytesPerSample);
    put16(out, channels * bytesPerSample);
    put16(out, 16);
    putTag(out, "data");
    put32(out, static_cast<std::uint32_t>(dataSize));
    for (const double sample : samples)
        put16(out, static_cast<std::uint16_t>(toPcm(sample)));
    return out;
}

void WaveWriter::write(const std::filesystem::path& path, const std::vector<double>& samples) const
{
    AtomicFile::write(path, bytes(samples));
}
