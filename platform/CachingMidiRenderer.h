#pragma once

#include "platform/MidiRenderer.h"
#include "platform/MusicCache.h"

#include <memory>
#include <optional>

// Renders through another renderer once per song and rendering key, and from then on reads the
// result from the music cache. The key covers the MIDI file's bytes, the soundfont's path, size
// and modification time, and the renderer's settings, so a changed song, soundfont or renderer
// renders afresh.
class CachingMidiRenderer final : public MidiRenderer {
public:
    // A MIDI file larger than this is not a song of ours; it is rendered without the cache.
    static constexpr std::size_t maxMidiBytes = 4u << 20;

    CachingMidiRenderer(std::shared_ptr<const MidiRenderer> renderer, MusicCache cache);

    // A cached song is handed over whole; otherwise it streams as it renders and is stored once complete.
    Streamed stream(const std::string& midiPath, int frequency, std::stop_token stop, Sink& sink) const override;
    std::string settingsKey(int frequency) const override { return renderer_->settingsKey(frequency); }

    // The rendering key of a song, or nothing when its file or the soundfont cannot be read.
    std::optional<std::uint64_t> keyFor(const std::string& midiPath, int frequency) const;

private:
    std::shared_ptr<const MidiRenderer> renderer_;
    MusicCache cache_;
};
