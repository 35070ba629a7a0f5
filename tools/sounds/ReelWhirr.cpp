#include "tools/sounds/ReelWhirr.h"

#include "tools/sounds/Biquad.h"
#include "tools/sounds/Envelope.h"
#include "tools/sounds/NoiseSource.h"

#include <cmath>
#include <numbers>

std::vector<double> ReelWhirr::render(int sampleRate)
{
    std::vector<double> out(static_cast<std::size_t>(std::lround(0.3 * sampleRate)), 0.0);
    NoiseSource noise(0x5EED2024u);
    Biquad band = Biquad::bandPass(sampleRate, 1400, 0.9);
    Biquad soften = Biquad::lowPass(sampleRate, 5000, 0.7);

    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        // The whirr holds steady through the first 40 ms, which is all of it a fast reel
        // lets through, so the restarts join up; after that it winds down.
        const double hold = t < 0.04 ? 1.0 : std::exp(-(t - 0.04) / 0.09);
        const double whirr = 0.35 * Envelope::riseIn(t, 0.002) * hold * soften.process(band.process(noise.next()));

        // The pawl striking a tooth: two short resonances of a small hard part.
        const double strike = Envelope::riseIn(t, 0.0003) * std::exp(-t / 0.0025);
        const double tick = strike * (0.6 * std::sin(2 * std::numbers::pi * 2700 * t)
                                      + 0.4 * std::sin(2 * std::numbers::pi * 4300 * t));
        out[i] = whirr + tick;
    }
    Envelope::fadeOut(out, sampleRate, 0.08);
    Envelope::normalise(out, 0.15);
    return out;
}
