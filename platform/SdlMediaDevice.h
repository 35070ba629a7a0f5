#pragma once

#include "platform/MediaDevice.h"
#include "platform/MidiRenderer.h"
#include "platform/PcmBuffer.h"
#include "platform/SdlAudioSystem.h"

#include <cstdint>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

// A media device on its own channel of the audio system. A wave file is loaded on Open; a MIDI
// file is rendered to PCM on a worker thread so that Open returns at once, and plays while the
// rest is still rendered: a Play sent meanwhile starts it as soon as a short lead is rendered,
// and Stop, Prev and Play act on it from then on as on a finished one. No command blocks. A
// missing or unplayable file, or an audio system without output, leaves the device silent; it
// still accepts every command.
class SdlMediaDevice final : public MediaDevice {
public:
    explicit SdlMediaDevice(SdlAudioSystem& audio,
                            std::shared_ptr<const MidiRenderer> midiRenderer = std::make_shared<MidiRenderer>());
    ~SdlMediaDevice() override;
    SdlMediaDevice(const SdlMediaDevice&) = delete;
    SdlMediaDevice& operator=(const SdlMediaDevice&) = delete;

    void setFileName(const std::string& path) override;
    void command(MediaCommand command) override;

    // True once the opened file is loaded (or wholly rendered).
    bool isReady() const;
    // How much of a MIDI file must be rendered ahead before it starts playing, in frames.
    static constexpr long leadFrames = SdlAudioSystem::frequency / 4;
    // True while a MIDI file is being rendered.
    bool isLoading() const;
    // Returns once no rendering is under way: the file is ready, failed or was closed. The
    // renderer's own signal, so a test waits as long as a slow machine needs and no longer.
    void waitUntilSettled() const;
    // The mixer channel this device plays on; -1 when the audio system is silent.
    int channel() const { return channel_; }

private:
    enum class Phase { Closed, Rendering, Ready };

    void open();
    void play();
    void stop();
    void rewind();
    void close();
    class Stream;
    void renderInBackground(const std::string& path);
    void streamStarted(unsigned generation, const std::shared_ptr<PcmBuffer>& pcm);
    void streamed(unsigned generation, std::size_t samples);
    void finishRendering(unsigned generation, const std::string& path, const MidiRenderer::Streamed& result);
    void finishRenderingLocked(unsigned generation, const std::string& path, const MidiRenderer::Streamed& result);
    // Ready, or rendered far enough ahead to play on while the rest is rendered.
    bool canPlayLocked() const;
    void startLocked();
    void releaseLocked();
    void disconnect();

    SdlAudioSystem* audio_;  // null once the audio system has closed
    const std::shared_ptr<const MidiRenderer> midiRenderer_;
    const int channel_;
    std::string fileName_;

    mutable std::mutex mutex_;  // the worker finishes a rendering while commands arrive
    mutable std::condition_variable settled_;
    Phase phase_ = Phase::Closed;
    unsigned generation_ = 0;   // tells a stale rendering from the current one
    bool playWhenReady_ = false;
    bool started_ = false;      // the channel holds our sound: playing, paused or played out
    std::size_t renderedSamples_ = 0;  // how much of pcm_ is final while rendering goes on
    // Shared with the rendering, which writes into it until it returns, even after a Close.
    std::shared_ptr<PcmBuffer> pcm_;
    SdlAudioSystem::Chunk chunk_;  // after pcm_: a chunk of rendered PCM reads pcm_ in place

    std::jthread worker_;
};
