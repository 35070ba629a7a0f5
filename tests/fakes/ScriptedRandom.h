#pragma once

#include "platform/RandomSource.h"

#include <deque>

// Hands out the numbers the test queued, then `fallback` (0.5: never a hit) forever.
class ScriptedRandom final : public RandomSource {
public:
    double next() override
    {
        if (script.empty())
            return fallback;
        const double value = script.front();
        script.pop_front();
        return value;
    }
    void reseed() override { ++reseeds; }

    void queueHits(int count)
    {
        for (int i = 0; i < count; ++i)
            script.push_back(0.0);
    }

    std::deque<double> script;
    double fallback = 0.5;
    int reseeds = 0;
};
