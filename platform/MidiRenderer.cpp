#include "platform/MidiRenderer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr int blockFrames = 4096;
// Well below 1, so that the synth's own output does not saturate before it is scaled.
constexpr double synthGain = 0.2;
// After the last event the release and reverb tails still ring; render on until they fade,
// but never longer than this.
constexpr double maxTailSeconds = 4.0;
// About -60 dB of the rendered level: quieter than this counts as silence when the tail is trimmed.
constexpr float silenceThreshold = 32.0f / 32768.0f;

struct SettingsDeleter { void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); } };
struct SynthDeleter { void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); } };
struct PlayerDeleter { void operator()(fluid_player_t* p) const { delete_fluid_player(p); } };

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

std::int16_t toSample(float value, float gain)
{
    // The gain brings the peak to peakLevel, so the clamp only guards against rounding.
    const float scaled = std::nearbyint(value * gain * 32767.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32767.0f, 32767.0f));
}

bool isSilent(float sample) { return std::fabs(sample) < silenceThreshold; }

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
           + "; gain " + std::to_string(synthGain) + "; peak " + std::to_string(peakLevel) + "; block " + std::to_string(blockFrames)
           + "; tail " + std::to_string(maxTailSeconds) + "; silence " + std::to_string(silenceThreshold)
           + "; int16 interleaved stereo";
}

MidiRenderer::MidiRenderer(std::string soundFont)
    : soundFont_(std::move(soundFont))
{
}

MidiRenderer::Result MidiRenderer::render(const std::string& midiPath, int frequency, std::stop_token stop) const
{
    quietenLibraryChatter();
    if (!fluid_is_midifile(midiPath.c_str()))
        return {{}, "not a readable MIDI file"};
    if (!fluid_is_soundfont(soundFont_.c_str()))
        return {{}, "soundfont " + soundFont_ + " missing or unreadable"};

    const std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    fluid_settings_setnum(settings.get(), "synth.sample-rate", frequency);
    fluid_settings_setnum(settings.get(), "synth.gain", synthGain);
    // Events must follow the frames we render, not the wall clock of this thread.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    const std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth)
        return {{}, "cannot create a synthesizer"};
    if (stop.stop_requested())
        return {};
    if (fluid_synth_sfload(synth.get(), soundFont_.c_str(), 1) == FLUID_FAILED)
        return {{}, "cannot load soundfont " + soundFont_};
    // Declared after the synth, so it goes first: the player feeds the synth.
    const std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth.get()));
    if (!player || fluid_player_add(player.get(), midiPath.c_str()) != FLUID_OK
        || fluid_player_play(player.get()) != FLUID_OK)
        return {{}, "cannot play the MIDI file"};

    // The whole song is kept as floats until its peak is known.
    std::vector<float> rendered;
    const auto renderBlock = [&] {
        const std::size_t start = rendered.size();
        rendered.resize(start + 2 * blockFrames);
        float* block = rendered.data() + start;
        fluid_synth_write_float(synth.get(), blockFrames, block, 0, 2, block, 1, 2);
        return std::all_of(block, block + 2 * blockFrames, isSilent);
    };

    while (fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING) {
        if (stop.stop_requested())
            return {};
        renderBlock();
    }
    const int maxTailBlocks = static_cast<int>(maxTailSeconds * frequency / blockFrames) + 1;
    for (int i = 0; i < maxTailBlocks; ++i) {
        if (stop.stop_requested())
            return {};
        if (renderBlock())
            break;
    }

    const auto lastSound = std::find_if(rendered.rbegin(), rendered.rend(), [](float s) { return !isSilent(s); });
    std::size_t keep = static_cast<std::size_t>(rendered.rend() - lastSound);
    keep += keep % 2;  // whole frames only
    if (keep == 0)
        return {{}, "the MIDI file makes no sound"};
    float peak = 0.0f;
    for (std::size_t i = 0; i < keep; ++i)
        peak = std::max(peak, std::fabs(rendered[i]));
    const float gain = static_cast<float>(peakLevel) / peak;
    std::vector<std::int16_t> pcm(keep);
    for (std::size_t i = 0; i < keep; ++i)
        pcm[i] = toSample(rendered[i], gain);
    return {std::move(pcm), {}};
}
