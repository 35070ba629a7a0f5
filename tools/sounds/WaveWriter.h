#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Encodes mono samples in [-1, 1] as a 16-bit PCM RIFF WAVE file.
class WaveWriter {
public:
    explicit WaveWriter(int sampleRate);

    int sampleRate() const { return sampleRate_; }

    // Values outside [-1, 1] are clipped; the rest are rounded to the nearest 16-bit step.
    static std::int16_t toPcm(double sample);

    std::vector<std::uint8_t> bytes(const std::vector<double>& samples) const;
    void write(const std::filesystem::path& path, const std::vector<double>& samples) const;

private:
    int sampleRate_;
};
