#include "platform/SdlAudioSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <iostream>

namespace {

// SDL_mixer has one global mixer; a second audio system would share and then close it.
std::atomic<bool> mixerTaken{false};

void reportSilence(const std::string& reason)
{
    std::cerr << "zumikko: no audio output, sounds are off (" << reason << ")\n";
}

} // namespace

SdlAudioSystem::SdlAudioSystem(int bufferFrames)
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
}

SdlAudioSystem::~SdlAudioSystem()
{
    const auto owners = std::move(owners_);
    for (const auto& owner : owners)
        owner.second();
    if (!open_)
        return;
    Mix_HaltChannel(-1);
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
    if (channelsAllocated_ < nextChannel_)
        channelsAllocated_ = Mix_AllocateChannels(nextChannel_);
    return channel < channelsAllocated_ ? channel : -1;
}

void SdlAudioSystem::detach(const void* owner)
{
    std::erase_if(owners_, [owner](const auto& entry) { return entry.first == owner; });
}

void SdlAudioSystem::ChunkDeleter::operator()(Mix_Chunk* chunk) const
{
    // Halts any channel still playing it before it goes.
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

SdlAudioSystem::Chunk SdlAudioSystem::wrapPcm(const std::vector<std::int16_t>& pcm) const
{
    if (!open_ || pcm.empty())
        return nullptr;
    // QuickLoad_RAW neither copies nor modifies: the const_cast only meets its signature.
    auto* bytes = reinterpret_cast<Uint8*>(const_cast<std::int16_t*>(pcm.data()));
    return Chunk(Mix_QuickLoad_RAW(bytes, static_cast<Uint32>(pcm.size() * sizeof(std::int16_t))));
}

void SdlAudioSystem::play(int channel, Mix_Chunk* chunk) const
{
    if (channel >= 0 && chunk)
        Mix_PlayChannel(channel, chunk, 0);
}

void SdlAudioSystem::pause(int channel) const
{
    if (channel >= 0)
        Mix_Pause(channel);
}

void SdlAudioSystem::resume(int channel) const
{
    if (channel >= 0)
        Mix_Resume(channel);
}

void SdlAudioSystem::halt(int channel) const
{
    if (channel >= 0)
        Mix_HaltChannel(channel);
}
