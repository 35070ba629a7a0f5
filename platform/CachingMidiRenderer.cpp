#include "platform/CachingMidiRenderer.h"

#include "platform/BoundedRead.h"

#include <string>

#include <sys/stat.h>

CachingMidiRenderer::CachingMidiRenderer(std::shared_ptr<const MidiRenderer> renderer, MusicCache cache)
    : MidiRenderer(renderer->soundFont())
    , renderer_(std::move(renderer))
    , cache_(std::move(cache))
{
}

std::optional<std::uint64_t> CachingMidiRenderer::keyFor(const std::string& midiPath, int frequency) const
{
    const BoundedRead midi = readBounded(midiPath, maxMidiBytes);
    struct stat font {};
    if (midi.outcome != BoundedRead::Outcome::Read || ::stat(renderer_->soundFont().c_str(), &font) != 0)
        return std::nullopt;
    std::uint64_t key = MusicCache::hash(midi.bytes.data(), midi.bytes.size());
    const std::string settings = renderer_->soundFont() + '\n' + std::to_string(font.st_size) + '\n'
                                 + std::to_string(font.st_mtim.tv_sec) + '.' + std::to_string(font.st_mtim.tv_nsec)
                                 + '\n' + renderer_->settingsKey(frequency);
    key = MusicCache::hash(settings.data(), settings.size(), key);
    return key;
}

MidiRenderer::Streamed CachingMidiRenderer::stream(const std::string& midiPath, int frequency, std::stop_token stop,
                                                   Sink& sink) const
{
    const auto key = keyFor(midiPath, frequency);
    if (key) {
        std::size_t samples = 0;
        const bool loaded = cache_.loadInto(midiPath, *key, [&](std::size_t size) {
            samples = size;
            return sink.reserve(size);
        });
        if (loaded) {
            sink.rendered(samples);
            return {samples, {}};
        }
    }
    // Notes where the sound goes, so that the complete song can be stored as it was streamed.
    class Recorder final : public Sink {
    public:
        explicit Recorder(Sink& sink) : sink_(sink) {}
        std::span<std::int16_t> reserve(std::size_t samples) override { return room = sink_.reserve(samples); }
        void rendered(std::size_t samples) override { sink_.rendered(samples); }
        std::span<std::int16_t> room;

    private:
        Sink& sink_;
    } recorder(sink);
    const Streamed streamed = renderer_->stream(midiPath, frequency, stop, recorder);
    if (key && streamed.samples > 0 && streamed.samples <= recorder.room.size())
        cache_.store(midiPath, *key, recorder.room.first(streamed.samples));
    return streamed;
}
