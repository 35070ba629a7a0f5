#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct Mix_Chunk;

// The program's one audio output, opened once at 44100 Hz, signed 16-bit stereo, with a small
// buffer so that a sound starts within a few milliseconds of its Play. Each media device gets a
// channel of its own. When no audio device can be opened this says so in one line on stderr and
// every device stays silent. Every SDL_mixer call of the program is in SdlAudioSystem.cpp.
//
// Devices register themselves; closing the audio system first closes the devices still bound
// to it (joining their worker threads), so the order of destruction at exit does not matter.
//
// While no channel sounds, the mixer rests: SDL's audio thread waits at the start of its next
// pass instead of mixing and sending silence to the sound server many times a second. A Play
// wakes it and is started within that very pass, so resting adds nothing to a cue's latency.
class SdlAudioSystem {
public:
    static constexpr int frequency = 44100;
    static constexpr int channels = 2;

    enum class Rest { WhenSilent, Never };

    explicit SdlAudioSystem(int bufferFrames = 512, Rest rest = Rest::WhenSilent);
    ~SdlAudioSystem();
    SdlAudioSystem(const SdlAudioSystem&) = delete;
    SdlAudioSystem& operator=(const SdlAudioSystem&) = delete;

    bool isOpen() const { return open_; }
    int bufferFrames() const { return bufferFrames_; }

    // What a device uses. A channel of -1 (silent system) makes every channel call a no-op.
    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const;
    };
    using Chunk = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

    int attach(const void* owner, std::function<void()> closeOwner);
    void detach(const void* owner);

    // Null on failure, with the reason in `error`.
    Chunk loadWave(const std::string& path, std::string& error) const;
    // The chunk reads `pcm` in place; `pcm` must outlive it and stay unchanged.
    Chunk wrapPcm(std::span<const std::int16_t> pcm) const;

    // Makes samples written into a chunk that may already be playing visible to the audio
    // thread from its next pass on: music streams into its chunk while it renders.
    void publishWrites() const;

    void play(int channel, Mix_Chunk* chunk) const;
    void pause(int channel) const;
    void resume(int channel) const;
    void halt(int channel) const;

    // Something that sees the mixing passes (a probe, a level meter); null removes it. Called on
    // SDL's audio thread. While one that wants every pass listens, the mixer does not rest; a
    // listener that only wants the passes that run sees none while the mixer rests.
    using OutputListener = void (*)(void* context, std::uint8_t* stream, int bytes);
    enum class Passes { Every, OnlyThoseThatRun };
    void setOutputListener(OutputListener listener, void* context, Passes passes = Passes::Every);

    // True while the audio thread waits for the next sound (for tests and measurements).
    bool isResting() const;

private:
    bool open_ = false;
    int bufferFrames_;
    int channelsAllocated_ = 0;
    int nextChannel_ = 0;
    std::vector<std::pair<const void*, std::function<void()>>> owners_;
};
