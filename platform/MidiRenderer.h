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

    struct Result {
        std::vector<std::int16_t> pcm;  // interleaved stereo, signed 16-bit, native byte order
        std::string error;              // why pcm is empty; empty when cancelled
    };

    explicit MidiRenderer(std::string soundFont = defaultSoundFont);
    virtual ~MidiRenderer() = default;

    // Renders the whole song at `frequency` frames per second, trailing silence cut off.
    // Gives up with an empty result as soon as `stop` is requested.
    virtual Result render(const std::string& midiPath, int frequency, std::stop_token stop) const;

    const std::string& soundFont() const { return soundFont_; }

private:
    std::string soundFont_;
};
