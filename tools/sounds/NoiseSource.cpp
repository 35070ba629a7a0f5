#include "tools/sounds/NoiseSource.h"

NoiseSource::NoiseSource(std::uint32_t seed)
    : state_(seed != 0 ? seed : 0x9E3779B9u) // xorshift never leaves zero
{
}

double NoiseSource::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}
