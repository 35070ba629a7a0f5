#include "bench/audio_latency/CapturedOnsetWatcher.h"

#include <cstdio>
#include <cstdlib>

namespace {
// Quieter than this counts as silence: a sink's monitor may carry dither or resampling residue.
constexpr int threshold = 64;
}

CapturedOnsetWatcher::CapturedOnsetWatcher(int frequency)
    : frequency_(frequency)
{
    SDL_AudioSpec wanted{};
    wanted.freq = frequency;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 128;
    wanted.callback = &CapturedOnsetWatcher::onCapture;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    device_ = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
    if (device_ == 0) {
        std::fprintf(stderr, "cannot open a capture device: %s\n", SDL_GetError());
        return;
    }
    SDL_PauseAudioDevice(device_, 0);
}

CapturedOnsetWatcher::~CapturedOnsetWatcher()
{
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
}

void CapturedOnsetWatcher::onCapture(void* self, Uint8* stream, int bytes)
{
    static_cast<CapturedOnsetWatcher*>(self)->record(reinterpret_cast<const std::int16_t*>(stream), bytes / 2);
}

void CapturedOnsetWatcher::record(const std::int16_t* samples, int count)
{
    const auto now = Clock::now();
    int first = -1;
    for (int i = 0; i < count && first < 0; ++i)
        if (std::abs(samples[i]) > threshold)
            first = i;
    {
        const std::lock_guard lock(mutex_);
        silentFrames_ = first < 0 ? silentFrames_ + count / 2 : 0;
        if (armed_ && first >= 0) {
            // The block arrived whole just now: its first loud frame was captured that much earlier.
            const double before = double(count / 2 - first / 2) / frequency_;
            onset_ = now - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(before));
            armed_ = false;
        }
    }
    changed_.notify_all();
}

void CapturedOnsetWatcher::arm()
{
    const std::lock_guard lock(mutex_);
    armed_ = true;
    onset_.reset();
}

std::optional<CapturedOnsetWatcher::Clock::time_point> CapturedOnsetWatcher::waitForOnset(
    std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return onset_.has_value(); });
    armed_ = false;
    return onset_;
}

bool CapturedOnsetWatcher::waitForSilence(std::chrono::milliseconds duration, std::chrono::milliseconds timeout)
{
    const long frames = static_cast<long>(duration.count()) * frequency_ / 1000;
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return silentFrames_ >= frames; });
}
