#include "platform/MidiRenderer.h"

#include "platform/PeakLimiter.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr int blockFrames = 4096;
// The synth's gain, fixed before a song is rendered so that each block is final at once. Set so
// that our songs, with TimGM6mb, peak just under peakLevel and the limiter leaves them alone; a
// louder soundfont or song is held at peakLevel by the limiter.
constexpr double synthGain = 0.29;
// After the last event the release and reverb tails still ring; render on until they fade,
// but never longer than this.
constexpr double maxTailSeconds = 4.0;
// About -60 dB of full scale: quieter than this counts as silence when the tail is trimmed.
constexpr float silenceThreshold = 32.0f / 32768.0f;
// The length pass runs the player without sound; a low rate makes it nearly free. Its events
// are timed to a few milliseconds, which the block of spare room absorbs.
constexpr int lengthPassFrequency = 8000;

struct SettingsDeleter { void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); } };
struct SynthDeleter { void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); } };
struct PlayerDeleter { void operator()(fluid_player_t* p) const { delete_fluid_player(p); } };
using Settings = std::unique_ptr<fluid_settings_t, SettingsDeleter>;
using Synth = std::unique_ptr<fluid_synth_t, SynthDeleter>;
using Player = std::unique_ptr<fluid_player_t, PlayerDeleter>;

void quietenLibraryChatter()
{
    static std::once_flag once;
    // Failures reach the caller as one line of our own.
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

Settings settingsFor(int frequency, double gain)
{
    Settings settings(new_fluid_settings());
    fluid_settings_setnum(settings.get(), "synth.sample-rate", frequency);
    fluid_settings_setnum(settings.get(), "synth.gain", gain);
    // Events must follow the frames we render, not the wall clock of this thread.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    return settings;
}

Player startPlayer(fluid_synth_t* synth, const std::string& midiPath)
{
    Player player(new_fluid_player(synth));
    if (!player || fluid_player_add(player.get(), midiPath.c_str()) != FLUID_OK
        || fluid_player_play(player.get()) != FLUID_OK)
        return nullptr;
    return player;
}

// How many seconds the player takes to play the song through, capped at maxSongSeconds: the
// events alone, through a synth without a soundfont, reverb or chorus. Negative on failure or stop.
double songSeconds(const std::string& midiPath, const std::stop_token& stop)
{
    const Settings settings = settingsFor(lengthPassFrequency, 0.0);
    fluid_settings_setint(settings.get(), "synth.reverb.active", 0);
    fluid_settings_setint(settings.get(), "synth.chorus.active", 0);
    const Synth synth(new_fluid_synth(settings.get()));
    if (!synth)
        return -1.0;
    const Player player = startPlayer(synth.get(), midiPath);
    if (!player)
        return -1.0;
    constexpr int passFrames = 8192;
    const long maxFrames = static_cast<long>(MidiRenderer::maxSongSeconds * lengthPassFrequency);
    std::vector<float> scratch(passFrames);
    long frames = 0;
    while (fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING && frames < maxFrames) {
        if (stop.stop_requested())
            return -1.0;
        fluid_synth_write_float(synth.get(), passFrames, scratch.data(), 0, 1, scratch.data(), 0, 1);
        frames += passFrames;
    }
    return static_cast<double>(std::min(frames, maxFrames)) / lengthPassFrequency;
}

std::int16_t toSample(float value)
{
    // The limiter keeps |value| within peakLevel; the clamp only guards against rounding.
    const float scaled = std::nearbyint(value * 32767.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32767.0f, 32767.0f));
}

bool isSilent(float sample) { return std::fabs(sample) < silenceThreshold; }

class VectorSink final : public MidiRenderer::Sink {
public:
    std::span<std::int16_t> reserve(std::size_t samples) override
    {
        pcm.assign(samples, 0);
        return pcm;
    }
    void rendered(std::size_t) override {}

    std::vector<std::int16_t> pcm;
};

} // namespace

std::string MidiRenderer::installedSoundFont()
{
    for (const char* candidate : {defaultSoundFont, "/usr/share/sounds/sf2/default-GM.sf2",
                                  "/usr/share/sounds/sf2/FluidR3_GM.sf2"})
        if (fluid_is_soundfont(candidate))
            return candidate;
    return defaultSoundFont;
}

std::string MidiRenderer::settingsKey(int frequency) const
{
    return "fluidsynth " + std::string(fluid_version_str()) + "; rate " + std::to_string(frequency)
           + "; gain " + std::to_string(synthGain) + "; limiter " + std::to_string(peakLevel)
           + "; block " + std::to_string(blockFrames) + "; tail " + std::to_string(maxTailSeconds)
           + "; silence " + std::to_string(silenceThreshold) + "; int16 interleaved stereo";
}

MidiRenderer::MidiRenderer(std::string soundFont)
    : soundFont_(std::move(soundFont))
{
}

MidiRenderer::Result MidiRenderer::render(const std::string& midiPath, int frequency, std::stop_token stop) const
{
    VectorSink sink;
    Streamed streamed = stream(midiPath, frequency, std::move(stop), sink);
    if (streamed.samples == 0)
        return {{}, std::move(streamed.error)};
    sink.pcm.resize(streamed.samples);
    return {std::move(sink.pcm), {}};
}

MidiRenderer::Streamed MidiRenderer::stream(const std::string& midiPath, int frequency, std::stop_token stop,
                                            Sink& sink) const
{
    quietenLibraryChatter();
    if (!fluid_is_midifile(midiPath.c_str()))
        return {0, "not a readable MIDI file"};
    if (!fluid_is_soundfont(soundFont_.c_str()))
        return {0, "soundfont " + soundFont_ + " missing or unreadable"};

    const double seconds = songSeconds(midiPath, stop);
    if (stop.stop_requested())
        return {};
    if (seconds < 0)
        return {0, "cannot play the MIDI file"};

    const Settings settings = settingsFor(frequency, synthGain);
    const Synth synth(new_fluid_synth(settings.get()));
    if (!synth)
        return {0, "cannot create a synthesizer"};
    if (stop.stop_requested())
        return {};
    if (fluid_synth_sfload(synth.get(), soundFont_.c_str(), 1) == FLUID_FAILED)
        return {0, "cannot load soundfont " + soundFont_};
    // Declared after the synth, so it goes first: the player feeds the synth.
    const Player player = startPlayer(synth.get(), midiPath);
    if (!player)
        return {0, "cannot play the MIDI file"};

    // The song, a block for the length pass's coarser timing, and the longest tail.
    const long maxTailBlocks = static_cast<long>(maxTailSeconds * frequency / blockFrames) + 1;
    const long songBlocks = static_cast<long>(std::ceil(seconds * frequency / blockFrames)) + 1;
    const std::size_t room = static_cast<std::size_t>(songBlocks + maxTailBlocks) * blockFrames * 2;
    const std::span<std::int16_t> pcm = sink.reserve(room);
    if (pcm.size() < room)
        return {0, "not enough memory for the song"};

    PeakLimiter limiter(static_cast<float>(peakLevel));
    std::vector<float> pending(2 * blockFrames), next(2 * blockFrames);
    const auto renderInto = [&](std::vector<float>& block) {
        fluid_synth_write_float(synth.get(), blockFrames, block.data(), 0, 2, block.data(), 1, 2);
        return std::all_of(block.begin(), block.end(), isSilent);
    };
    std::size_t written = 0;
    std::size_t afterLastSound = 0;
    // A block is final once the one after it is known: the limiter looks one block ahead.
    const auto finish = [&](std::vector<float>& block, float nextPeak) {
        limiter.apply(block, nextPeak);
        const std::size_t count = std::min(block.size(), pcm.size() - written);
        for (std::size_t i = 0; i < count; ++i) {
            pcm[written + i] = toSample(block[i]);
            if (!isSilent(block[i]))
                afterLastSound = written + i + 1;
        }
        written += count;
        sink.rendered(written);
    };

    renderInto(pending);
    long tailBlocks = 0;
    bool tailFaded = false;
    while (written + pending.size() < pcm.size()) {
        if (stop.stop_requested())
            return {};
        if (fluid_player_get_status(player.get()) != FLUID_PLAYER_PLAYING) {
            if (tailFaded || ++tailBlocks > maxTailBlocks)
                break;
        }
        tailFaded = renderInto(next);
        finish(pending, PeakLimiter::peakOf(next));
        std::swap(pending, next);
    }
    finish(pending, 0.0f);

    afterLastSound += afterLastSound % 2;  // whole frames only
    if (afterLastSound == 0)
        return {0, "the MIDI file makes no sound"};
    return {afterLastSound, {}};
}
