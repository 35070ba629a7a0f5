#include "platform/PeakLimiter.h"

#include <algorithm>
#include <cmath>

PeakLimiter::PeakLimiter(float ceiling)
    : ceiling_(ceiling)
{
}

float PeakLimiter::peakOf(std::span<const float> block)
{
    float peak = 0.0f;
    for (const float sample : block)
        peak = std::max(peak, std::fabs(sample));
    return peak;
}

void PeakLimiter::apply(std::span<float> block, float nextPeak)
{
    const auto allowed = [this](float peak) { return peak > ceiling_ ? ceiling_ / peak : 1.0f; };
    const float peak = peakOf(block);
    // Both ends of the ramp are within what this block allows, so every gain between them is too.
    const float from = std::min(gain_, allowed(peak));
    const float to = std::min({1.0f, gain_ * releasePerBlock, allowed(peak), allowed(nextPeak)});
    const std::size_t frames = block.size() / 2;
    if (from == 1.0f && to == 1.0f) {
        gain_ = to;
        return;
    }
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const float gain = from + (to - from) * static_cast<float>(frame + 1) / static_cast<float>(frames);
        block[2 * frame] *= gain;
        block[2 * frame + 1] *= gain;
    }
    gain_ = to;
}
