#include "platform/ClockSeededRandom.h"

ClockSeededRandom::ClockSeededRandom(const Clock& clock)
    : clock_(clock)
{
    reseed();
}

double ClockSeededRandom::next()
{
    // 53 random bits scaled into [0, 1): never 1.0, unlike some generate_canonical versions.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

void ClockSeededRandom::reseed()
{
    engine_.seed(static_cast<std::uint64_t>(clock_.nowMicroseconds()));
}
