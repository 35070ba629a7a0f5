#pragma once

#include "platform/Clock.h"
#include "platform/RandomSource.h"

#include <random>

// A Mersenne Twister seeded from the clock at construction and at every reseed, so that no two
// runs of the program see the same stops.
class ClockSeededRandom final : public RandomSource {
public:
    explicit ClockSeededRandom(const Clock& clock);

    double next() override;
    void reseed() override;

private:
    const Clock& clock_;
    std::mt19937_64 engine_;
};
