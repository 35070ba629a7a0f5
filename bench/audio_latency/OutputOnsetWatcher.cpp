#include "bench/audio_latency/OutputOnsetWatcher.h"

#include "platform/SdlAudioSystem.h"

OutputOnsetWatcher::OutputOnsetWatcher(SdlAudioSystem& audio)
    : audio_(audio)
    , frequency_(SdlAudioSystem::frequency)
{
    audio_.setOutputListener(&OutputOnsetWatcher::onMix, this);
}

OutputOnsetWatcher::~OutputOnsetWatcher()
{
    audio_.setOutputListener(nullptr, nullptr);
}

void OutputOnsetWatcher::onMix(void* self, std::uint8_t* stream, int bytes)
{
    static_cast<OutputOnsetWatcher*>(self)->record(reinterpret_cast<const std::int16_t*>(stream), bytes / 2);
}

void OutputOnsetWatcher::record(const std::int16_t* samples, int count)
{
    const auto now = Clock::now();
    int first = -1;
    for (int i = 0; i < count && first < 0; ++i)
        if (samples[i] != 0)
            first = i;
    {
        const std::lock_guard lock(mutex_);
        if (passes_++ == 0)
            firstPass_ = now;
        lastPass_ = now;
        silentRun_ = first < 0 ? silentRun_ + 1 : 0;
        if (armed_ && first >= 0) {
            const auto offset = std::chrono::duration<double>(double(first / 2) / frequency_);
            onset_ = now + std::chrono::duration_cast<Clock::duration>(offset);
            armed_ = false;
        }
    }
    changed_.notify_all();
}

void OutputOnsetWatcher::arm()
{
    const std::lock_guard lock(mutex_);
    armed_ = true;
    onset_.reset();
}

std::optional<OutputOnsetWatcher::Clock::time_point> OutputOnsetWatcher::waitForOnset(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return onset_.has_value(); });
    armed_ = false;
    return onset_;
}

bool OutputOnsetWatcher::waitForSilentPasses(int passes, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    silentRun_ = 0;
    return changed_.wait_for(lock, timeout, [this, passes] { return silentRun_ >= passes; });
}

double OutputOnsetWatcher::meanPassMilliseconds() const
{
    const std::lock_guard lock(mutex_);
    if (passes_ < 2)
        return 0.0;
    return std::chrono::duration<double, std::milli>(lastPass_ - firstPass_).count() / double(passes_ - 1);
}
