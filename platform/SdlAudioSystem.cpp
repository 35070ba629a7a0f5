#include "platform/SdlAudioSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <vector>

namespace {

// SDL_mixer has one global mixer; a second audio system would share and then close it.
std::atomic<bool> mixerTaken{false};

// Lets SDL's audio thread sleep while nothing sounds. It waits inside the music hook, which
// SDL_mixer calls at the start of every pass before it mixes the channels, with the mixer
// locked. Hence every other mixer call must first hold the rest off (Hold), or it would wait
// for the lock forever; and a command that finds the thread resting is handed to it, so that a
// Play sounds in the very pass that wakes it.
class MixerRest {
public:
    void enable(bool on)
    {
        {
            const std::lock_guard lock(mutex_);
            enabled_ = on;
        }
        wake_.notify_all();
    }

    void setListening(bool on)
    {
        const std::lock_guard lock(mutex_);
        listening_ = on;
    }

    void setChannelCount(int count)
    {
        const std::lock_guard lock(mutex_);
        channelCount_ = count;
    }

    bool isResting() const
    {
        const std::lock_guard lock(mutex_);
        return resting_;
    }

    // The audio thread takes this lock at the start of every pass, so what was written before
    // it is let go is seen by the passes after.
    void publish() const { const std::lock_guard lock(mutex_); }

    // The music hook: on the audio thread, mixer locked, before the channels are mixed.
    static void onPassStart(void* self, Uint8*, int) { static_cast<MixerRest*>(self)->passStart(); }

    enum class Command { Play, Resume, Pause, Halt };

    // True when the command was handed to the resting thread, which carries it out when it
    // wakes, before it mixes; false means: call the mixer now, under a Hold. Only a Play or a
    // Resume wakes it: a Stop or Prev sent ahead of a Play (as every cue does) must not cost a
    // pass of silence in front of the sound.
    bool handOver(Command command, int channel, Mix_Chunk* chunk = nullptr)
    {
        const bool wakes = command == Command::Play || command == Command::Resume;
        {
            const std::lock_guard lock(mutex_);
            if (!resting_)
                return false;
            queued_.push_back({command, channel, chunk});
            startQueued_ = startQueued_ || wakes;
        }
        if (wakes)
            wake_.notify_all();
        return true;
    }

    class Hold {
    public:
        explicit Hold(MixerRest& rest) : rest_(rest)
        {
            {
                const std::lock_guard lock(rest_.mutex_);
                ++rest_.holds_;
            }
            rest_.wake_.notify_all();
        }
        ~Hold()
        {
            const std::lock_guard lock(rest_.mutex_);
            --rest_.holds_;
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        MixerRest& rest_;
    };

private:
    struct Queued {
        Command command;
        int channel;
        Mix_Chunk* chunk;
    };

    void passStart()
    {
        std::unique_lock lock(mutex_);
        while (enabled_ && !listening_ && holds_ == 0 && !startQueued_ && !anyChannelSounds()) {
            resting_ = true;
            wake_.wait(lock);
        }
        resting_ = false;
        // In the order sent; the mixer lock is already ours.
        for (const Queued& q : queued_) {
            switch (q.command) {
            case Command::Play: Mix_PlayChannel(q.channel, q.chunk, 0); break;
            case Command::Resume: Mix_Resume(q.channel); break;
            case Command::Pause: Mix_Pause(q.channel); break;
            case Command::Halt: Mix_HaltChannel(q.channel); break;
            }
        }
        queued_.clear();
        startQueued_ = false;
    }

    // Reads the channel table without locking: the caller already holds the mixer lock.
    bool anyChannelSounds() const
    {
        for (int channel = 0; channel < channelCount_; ++channel)
            if (Mix_Playing(channel) && !Mix_Paused(channel))
                return true;
        return false;
    }

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool enabled_ = false;
    bool listening_ = false;
    bool resting_ = false;
    int holds_ = 0;
    int channelCount_ = 0;
    bool startQueued_ = false;
    std::vector<Queued> queued_;
};

// Never destroyed: when the program ends through exit() (Qt does so when the display goes
// away) the audio thread may still be waiting on it, and destroying a condition variable
// that a thread waits on blocks for ever.
MixerRest& mixerRest = *new MixerRest;

void reportSilence(const std::string& reason)
{
    std::cerr << "zumikko: no audio output, sounds are off (" << reason << ")\n";
}

} // namespace

SdlAudioSystem::SdlAudioSystem(int bufferFrames, Rest rest)
    : bufferFrames_(bufferFrames)
{
    if (mixerTaken.exchange(true)) {
        reportSilence("the audio output is already in use by this program");
        return;
    }
    // SDL would otherwise turn SIGINT and SIGTERM into quit events that nobody reads, and the
    // game could no longer be ended by a signal (a logout, kill).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reportSilence(SDL_GetError());
        mixerTaken = false;
        return;
    }
    // No allowed changes: SDL converts if the hardware differs, and rendered PCM can be handed
    // to the mixer as it is.
    if (Mix_OpenAudioDevice(frequency, AUDIO_S16SYS, channels, bufferFrames, nullptr, 0) != 0) {
        reportSilence(Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        mixerTaken = false;
        return;
    }
    open_ = true;
    Mix_HookMusic(&MixerRest::onPassStart, &mixerRest);
    mixerRest.setChannelCount(Mix_AllocateChannels(-1));
    mixerRest.enable(rest == Rest::WhenSilent);
}

SdlAudioSystem::~SdlAudioSystem()
{
    const auto owners = std::move(owners_);
    for (const auto& owner : owners)
        owner.second();
    if (!open_)
        return;
    mixerRest.enable(false);
    Mix_HaltChannel(-1);
    Mix_HookMusic(nullptr, nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    mixerRest.setListening(false);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    mixerTaken = false;
}

int SdlAudioSystem::attach(const void* owner, std::function<void()> closeOwner)
{
    owners_.emplace_back(owner, std::move(closeOwner));
    if (!open_)
        return -1;
    const int channel = nextChannel_++;
    if (channelsAllocated_ < nextChannel_) {
        const MixerRest::Hold hold(mixerRest);
        channelsAllocated_ = Mix_AllocateChannels(nextChannel_);
        mixerRest.setChannelCount(channelsAllocated_);
    }
    return channel < channelsAllocated_ ? channel : -1;
}

void SdlAudioSystem::detach(const void* owner)
{
    std::erase_if(owners_, [owner](const auto& entry) { return entry.first == owner; });
}

void SdlAudioSystem::ChunkDeleter::operator()(Mix_Chunk* chunk) const
{
    // Halts any channel still playing it before it goes.
    const MixerRest::Hold hold(mixerRest);
    Mix_FreeChunk(chunk);
}

SdlAudioSystem::Chunk SdlAudioSystem::loadWave(const std::string& path, std::string& error) const
{
    if (!open_)
        return nullptr;
    Chunk chunk(Mix_LoadWAV(path.c_str()));
    if (!chunk)
        error = Mix_GetError();
    return chunk;
}

SdlAudioSystem::Chunk SdlAudioSystem::wrapPcm(std::span<const std::int16_t> pcm) const
{
    if (!open_ || pcm.empty())
        return nullptr;
    // QuickLoad_RAW neither copies nor modifies: the const_cast only meets its signature.
    auto* bytes = reinterpret_cast<Uint8*>(const_cast<std::int16_t*>(pcm.data()));
    return Chunk(Mix_QuickLoad_RAW(bytes, static_cast<Uint32>(pcm.size() * sizeof(std::int16_t))));
}

void SdlAudioSystem::play(int channel, Mix_Chunk* chunk) const
{
    if (channel < 0 || !chunk || mixerRest.handOver(MixerRest::Command::Play, channel, chunk))
        return;
    const MixerRest::Hold hold(mixerRest);
    Mix_PlayChannel(channel, chunk, 0);
}

void SdlAudioSystem::pause(int channel) const
{
    if (channel < 0 || mixerRest.handOver(MixerRest::Command::Pause, channel))
        return;
    const MixerRest::Hold hold(mixerRest);
    Mix_Pause(channel);
}

void SdlAudioSystem::resume(int channel) const
{
    if (channel < 0 || mixerRest.handOver(MixerRest::Command::Resume, channel))
        return;
    const MixerRest::Hold hold(mixerRest);
    Mix_Resume(channel);
}

void SdlAudioSystem::halt(int channel) const
{
    if (channel < 0 || mixerRest.handOver(MixerRest::Command::Halt, channel))
        return;
    const MixerRest::Hold hold(mixerRest);
    Mix_HaltChannel(channel);
}

void SdlAudioSystem::setOutputListener(OutputListener listener, void* context, Passes passes)
{
    if (!open_)
        return;
    const MixerRest::Hold hold(mixerRest);
    Mix_SetPostMix(listener, context);
    mixerRest.setListening(listener != nullptr && passes == Passes::Every);
}

void SdlAudioSystem::publishWrites() const
{
    mixerRest.publish();
}

bool SdlAudioSystem::isResting() const
{
    return mixerRest.isResting();
}
