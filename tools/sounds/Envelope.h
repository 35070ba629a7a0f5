#pragma once

#include <vector>

// Shaping helpers shared by the sound effects.
class Envelope {
public:
    // 0 at t = 0 rising smoothly (half a cosine) to 1 at t = length.
    static double riseIn(double t, double length);

    // Brings the last `seconds` smoothly down to exactly zero, so the sound ends without a click.
    static void fadeOut(std::vector<double>& samples, int sampleRate, double seconds);

    // Scales the samples so that the largest magnitude is `peak`.
    static void normalise(std::vector<double>& samples, double peak);
};
