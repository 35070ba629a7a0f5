#pragma once

// Uniform numbers in [0, 1) that can be reseeded from the clock.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    virtual void reseed() = 0;
};
