#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

// Turns a standard MIDI file into PCM once, so that it can be played, paused and rewound like
// any other sound. Safe to call from several threads at once: each call builds its own synth.
class MidiRenderer {
public:
    static constexpr const char* defaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    // The loudest sample of a rendered song, as a fraction of full scale. The music's share of the
    // mix: with the start chime (0.42) and the reel whirr (0.15) at their own peaks on top, the
    // mix stays under -1 dBFS (0.891), so nothing clips, whatever the soundfont's loudness.
    static constexpr double peakLevel = 0.30;

    // The General MIDI soundfont Debian has installed: TimGM6mb, else the system's default
    // (the default-GM.sf2 alternative), else FluidR3. The first of them when none is there.
    static std::string installedSoundFont();

    struct Result {
        std::vector<std::int16_t> pcm;  // interleaved stereo, signed 16-bit, native byte order
        std::string error;              // why pcm is empty; empty when cancelled
    };

    explicit MidiRenderer(std::string soundFont = installedSoundFont());
    virtual ~MidiRenderer() = default;

    // Renders the whole song at `frequency` frames per second, trailing silence cut off, scaled so
    // that its loudest sample lies at peakLevel.
    // Gives up with an empty result as soon as `stop` is requested.
    virtual Result render(const std::string& midiPath, int frequency, std::stop_token stop) const;

    const std::string& soundFont() const { return soundFont_; }

    // Everything besides the song and the soundfont that shapes the rendered PCM: a change here
    // must not be met by music rendered before it.
    virtual std::string settingsKey(int frequency) const;

private:
    std::string soundFont_;
};
