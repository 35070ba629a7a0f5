#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

// Turns a standard MIDI file into PCM, block by block, so that it can be played, paused and
// rewound like any other sound while the rest is still being rendered. Safe to call from several
// threads at once: each call builds its own synth.
class MidiRenderer {
public:
    static constexpr const char* defaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    // The loudest sample a rendered song may reach, as a fraction of full scale. The music's share
    // of the mix: with the start chime (0.42) and the reel whirr (0.15) at their own peaks on top,
    // the mix stays under -1 dBFS (0.891), so nothing clips, whatever the soundfont's loudness.
    static constexpr double peakLevel = 0.30;
    // Ten minutes: a longer song is cut there, so a hostile file cannot claim gigabytes.
    static constexpr double maxSongSeconds = 600.0;

    // The General MIDI soundfont Debian has installed: TimGM6mb, else the system's default
    // (the default-GM.sf2 alternative), else FluidR3. The first of them when none is there.
    static std::string installedSoundFont();

    // Where a rendering puts its sound while it goes on. Called on the rendering's thread.
    class Sink {
    public:
        virtual ~Sink() = default;
        // Called before any sound: room for the whole song, zeroed, which the sink owns and keeps
        // in place at least until the rendering has returned. Called again only when a cached
        // song turned out damaged before anything was announced; the new room replaces the old.
        virtual std::span<std::int16_t> reserve(std::size_t samples) = 0;
        // The first `samples` samples are final and will not be written again.
        virtual void rendered(std::size_t samples) = 0;
    };

    struct Streamed {
        std::size_t samples = 0;  // the song's length once complete (trailing silence cut); 0 if not
        std::string error;        // why it is not complete; empty when cancelled
    };

    struct Result {
        std::vector<std::int16_t> pcm;  // interleaved stereo, signed 16-bit, native byte order
        std::string error;              // why pcm is empty; empty when cancelled
    };

    explicit MidiRenderer(std::string soundFont = installedSoundFont());
    virtual ~MidiRenderer() = default;

    // Renders the song at `frequency` frames per second into `sink`: at a fixed gain, with a
    // limiter that keeps every sample within peakLevel, so each block is final as soon as it is
    // rendered. Gives up as soon as `stop` is requested.
    virtual Streamed stream(const std::string& midiPath, int frequency, std::stop_token stop, Sink& sink) const;

    // The whole song at once, trailing silence cut off.
    Result render(const std::string& midiPath, int frequency, std::stop_token stop) const;

    const std::string& soundFont() const { return soundFont_; }

    // Everything besides the song and the soundfont that shapes the rendered PCM: a change here
    // must not be met by music rendered before it.
    virtual std::string settingsKey(int frequency) const;

private:
    std::string soundFont_;
};
