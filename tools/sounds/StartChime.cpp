#include "tools/sounds/StartChime.h"

#include "tools/sounds/Envelope.h"

#include <cmath>
#include <numbers>

namespace {

struct Partial {
    double ratio;
    double level;
    double decay; // fraction of the note's decay time
};

// A bright, slightly metallic tone: the upper partials die away first, the one at 4.2 is
// off the harmonic series and gives the ring.
constexpr Partial partials[] = {{1.0, 1.0, 1.0}, {2.0, 0.32, 0.5}, {3.0, 0.10, 0.35}, {4.2, 0.07, 0.2}};

void addNote(std::vector<double>& out, int sampleRate, double start, double frequency, double level, double decay)
{
    const auto first = static_cast<std::size_t>(std::lround(start * sampleRate));
    for (std::size_t i = first; i < out.size(); ++i) {
        const double t = static_cast<double>(i - first) / sampleRate;
        double sample = 0;
        for (const Partial& p : partials)
            sample += p.level * std::exp(-t / (decay * p.decay)) * std::sin(2 * std::numbers::pi * frequency * p.ratio * t);
        out[i] += level * Envelope::riseIn(t, 0.0015) * sample;
    }
}

} // namespace

std::vector<double> StartChime::render(int sampleRate)
{
    std::vector<double> out(static_cast<std::size_t>(std::lround(0.36 * sampleRate)), 0.0);
    addNote(out, sampleRate, 0.0, 987.77, 0.75, 0.10);  // B5
    addNote(out, sampleRate, 0.07, 1318.51, 1.0, 0.13); // E6
    Envelope::fadeOut(out, sampleRate, 0.04);
    // Its share of the mix: with the reel whirr and the music at their peaks it stays under -1 dBFS.
    Envelope::normalise(out, 0.42);
    return out;
}
