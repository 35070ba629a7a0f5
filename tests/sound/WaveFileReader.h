#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Reads a 16-bit PCM RIFF WAVE file, checking its chunk sizes on the way.
// Any fault throws std::runtime_error.
class WaveFileReader {
public:
    explicit WaveFileReader(const std::vector<std::uint8_t>& bytes);
    static WaveFileReader fromFile(const std::filesystem::path& path);

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    const std::vector<std::int16_t>& samples() const { return samples_; } // interleaved
    double seconds() const { return static_cast<double>(samples_.size()) / channels_ / sampleRate_; }

private:
    int sampleRate_ = 0;
    int channels_ = 0;
    std::vector<std::int16_t> samples_;
};
