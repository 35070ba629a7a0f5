#pragma once

#include <cstdint>

// White noise from a fixed seed (xorshift32), the same numbers on every machine and run.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed);

    // Uniform in [-1, 1).
    double next();

private:
    std::uint32_t state_;
};
