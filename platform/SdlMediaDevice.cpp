#include "platform/SdlMediaDevice.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include <sys/resource.h>
#include <unistd.h>

namespace {

bool isMidiFile(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "mid" || extension == "midi";
}

void reportUnplayable(const std::string& path, const std::string& reason)
{
    std::cerr << "zumikko: cannot play " << path << ", it stays silent (" << reason << ")\n";
}

} // namespace

SdlMediaDevice::SdlMediaDevice(SdlAudioSystem& audio, std::shared_ptr<const MidiRenderer> midiRenderer)
    : audio_(&audio)
    , midiRenderer_(std::move(midiRenderer))
    , channel_(audio.attach(this, [this] { disconnect(); }))
{
}

SdlMediaDevice::~SdlMediaDevice()
{
    if (audio_) {
        audio_->detach(this);
        disconnect();
    }
}

void SdlMediaDevice::disconnect()
{
    worker_ = {};  // asks a running rendering to give up and waits for it
    {
        const std::lock_guard lock(mutex_);
        releaseLocked();
        phase_ = Phase::Closed;
        audio_ = nullptr;
    }
    settled_.notify_all();
}

void SdlMediaDevice::setFileName(const std::string& path)
{
    fileName_ = path;
}

void SdlMediaDevice::command(MediaCommand command)
{
    switch (command) {
    case MediaCommand::Open: open(); break;
    case MediaCommand::Close: close(); break;
    case MediaCommand::Play: play(); break;
    case MediaCommand::Stop: stop(); break;
    case MediaCommand::Prev: rewind(); break;
    }
}

bool SdlMediaDevice::isReady() const
{
    const std::lock_guard lock(mutex_);
    return phase_ == Phase::Ready;
}

bool SdlMediaDevice::isLoading() const
{
    const std::lock_guard lock(mutex_);
    return phase_ == Phase::Rendering;
}

void SdlMediaDevice::waitUntilSettled() const
{
    std::unique_lock lock(mutex_);
    settled_.wait(lock, [this] { return phase_ != Phase::Rendering; });
}

void SdlMediaDevice::open()
{
    close();
    if (!audio_ || channel_ < 0)
        return;
    if (isMidiFile(fileName_)) {
        renderInBackground(fileName_);
        return;
    }
    std::string error;
    SdlAudioSystem::Chunk chunk = audio_->loadWave(fileName_, error);
    if (!chunk) {
        reportUnplayable(fileName_, error);
        return;
    }
    const std::lock_guard lock(mutex_);
    chunk_ = std::move(chunk);
    phase_ = Phase::Ready;
}

// Hands the rendering the device's buffer and tells the device how far it is rendered. Holds
// the buffer itself, so the rendering writes into live memory even after the device let go.
class SdlMediaDevice::Stream final : public MidiRenderer::Sink {
public:
    Stream(SdlMediaDevice& device, unsigned generation)
        : device_(device)
        , generation_(generation)
    {
    }

    std::span<std::int16_t> reserve(std::size_t samples) override
    {
        pcm_ = std::make_shared<PcmBuffer>(samples);
        device_.streamStarted(generation_, pcm_);
        return pcm_->samples();
    }

    void rendered(std::size_t samples) override { device_.streamed(generation_, samples); }

private:
    SdlMediaDevice& device_;
    const unsigned generation_;
    std::shared_ptr<PcmBuffer> pcm_;
};

void SdlMediaDevice::renderInBackground(const std::string& path)
{
    unsigned generation = 0;
    {
        const std::lock_guard lock(mutex_);
        phase_ = Phase::Rendering;
        generation = ++generation_;
    }
    // Replacing the worker waits for an earlier rendering, which close() has already cancelled.
    worker_ = std::jthread([this, path, generation](std::stop_token stop) {
        // Rendering takes a second or two of CPU at startup; the reel and the mixer come first.
        // It still runs far ahead of the playing: the synth renders many times faster than real time.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
        Stream stream(*this, generation);
        finishRendering(generation, path, midiRenderer_->stream(path, SdlAudioSystem::frequency, stop, stream));
    });
}

void SdlMediaDevice::streamStarted(unsigned generation, const std::shared_ptr<PcmBuffer>& pcm)
{
    const std::lock_guard lock(mutex_);
    if (generation != generation_ || phase_ != Phase::Rendering || !audio_)
        return;
    // The chunk gets the buffer's final length now: the mixer takes it when the channel starts.
    chunk_.reset();
    pcm_ = pcm;
    chunk_ = audio_->wrapPcm(pcm_->samples());
    renderedSamples_ = 0;
}

void SdlMediaDevice::streamed(unsigned generation, std::size_t samples)
{
    const std::lock_guard lock(mutex_);
    if (generation != generation_ || phase_ != Phase::Rendering || !chunk_)
        return;
    if (started_)
        audio_->publishWrites();
    renderedSamples_ = samples;
    if (playWhenReady_ && canPlayLocked())
        startLocked();
}

void SdlMediaDevice::finishRendering(unsigned generation, const std::string& path, const MidiRenderer::Streamed& result)
{
    finishRenderingLocked(generation, path, result);
    settled_.notify_all();
}

void SdlMediaDevice::finishRenderingLocked(unsigned generation, const std::string& path,
                                           const MidiRenderer::Streamed& result)
{
    const std::lock_guard lock(mutex_);
    if (generation != generation_ || phase_ != Phase::Rendering || !audio_)
        return;
    if (result.samples == 0 || !chunk_ || result.samples > pcm_->samples().size()) {
        if (!result.error.empty())
            reportUnplayable(path, result.error);
        releaseLocked();
        phase_ = Phase::Closed;
        return;
    }
    if (!started_) {
        // Not playing yet, so the trailing silence can still go; shrinking keeps the buffer in place.
        chunk_.reset();
        pcm_->shrink(result.samples);
        chunk_ = audio_->wrapPcm(pcm_->samples());
    }
    renderedSamples_ = result.samples;
    phase_ = chunk_ ? Phase::Ready : Phase::Closed;
    if (phase_ == Phase::Ready && playWhenReady_)
        startLocked();
    playWhenReady_ = false;
}

bool SdlMediaDevice::canPlayLocked() const
{
    return phase_ == Phase::Ready
           || (phase_ == Phase::Rendering && chunk_
               && renderedSamples_ >= static_cast<std::size_t>(leadFrames) * SdlAudioSystem::channels);
}

void SdlMediaDevice::startLocked()
{
    audio_->play(channel_, chunk_.get());
    started_ = true;
    playWhenReady_ = false;
}

void SdlMediaDevice::play()
{
    const std::lock_guard lock(mutex_);
    if (canPlayLocked()) {
        if (started_)
            audio_->resume(channel_);
        else
            startLocked();
    } else if (phase_ == Phase::Rendering) {
        playWhenReady_ = true;
    }
}

void SdlMediaDevice::stop()
{
    const std::lock_guard lock(mutex_);
    playWhenReady_ = false;
    if (started_)
        audio_->pause(channel_);
}

void SdlMediaDevice::rewind()
{
    const std::lock_guard lock(mutex_);
    if (started_) {
        audio_->halt(channel_);
        started_ = false;
    }
}

void SdlMediaDevice::close()
{
    worker_.request_stop();
    {
        const std::lock_guard lock(mutex_);
        releaseLocked();
        phase_ = Phase::Closed;
        ++generation_;
    }
    settled_.notify_all();
}

void SdlMediaDevice::releaseLocked()
{
    if (audio_ && started_)
        audio_->halt(channel_);
    started_ = false;
    playWhenReady_ = false;
    chunk_.reset();
    pcm_.reset();
    renderedSamples_ = 0;
}
