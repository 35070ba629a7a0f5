#include "tools/sounds/Envelope.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double Envelope::riseIn(double t, double length)
{
    if (t >= length)
        return 1.0;
    if (t <= 0)
        return 0.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * t / length);
}

void Envelope::fadeOut(std::vector<double>& samples, int sampleRate, double seconds)
{
    const auto length = std::min(samples.size(), static_cast<std::size_t>(std::lround(seconds * sampleRate)));
    if (length == 0)
        return;
    const std::size_t first = samples.size() - length;
    for (std::size_t i = 0; i < length; ++i) {
        const double remaining = static_cast<double>(length - 1 - i) / static_cast<double>(length);
        samples[first + i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * remaining);
    }
}

void Envelope::normalise(std::vector<double>& samples, double peak)
{
    double largest = 0;
    for (const double s : samples)
        largest = std::max(largest, std::abs(s));
    if (largest == 0)
        return;
    for (double& s : samples)
        s *= peak / largest;
}
