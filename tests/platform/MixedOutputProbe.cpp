#include "tests/platform/MixedOutputProbe.h"

#include "tests/platform/PositionCode.h"

#include "platform/SdlAudioSystem.h"

#include <algorithm>
#include <cstdlib>

MixedOutputProbe::MixedOutputProbe(SdlAudioSystem& audio, bool passive)
    : audio_(audio)
{
    audio_.setOutputListener(&MixedOutputProbe::onMix, this,
                             passive ? SdlAudioSystem::Passes::OnlyThoseThatRun : SdlAudioSystem::Passes::Every);
}

MixedOutputProbe::~MixedOutputProbe()
{
    audio_.setOutputListener(nullptr, nullptr);
}

void MixedOutputProbe::onMix(void* self, std::uint8_t* stream, int bytes)
{
    static_cast<MixedOutputProbe*>(self)->record(reinterpret_cast<const std::int16_t*>(stream), bytes / 4);
}

void MixedOutputProbe::record(const std::int16_t* samples, int frames)
{
    Block block;
    for (int i = 0; i < frames; ++i) {
        const std::int16_t left = samples[2 * i];
        const std::int16_t right = samples[2 * i + 1];
        block.peak = std::max({block.peak, std::abs(int(left)), std::abs(int(right))});
        if (left == 0 && right == 0)
            continue;
        const long position = PositionCode::decode(left, right);
        if (block.soundFrames == 0) {
            block.firstSoundOffset = i;
            block.firstPosition = position;
        } else if (position < 0 || position != block.lastPosition + 1) {
            block.inOrder = false;
        }
        block.inOrder = block.inOrder && position >= 0;
        block.lastPosition = position;
        block.maxRight = std::max(block.maxRight, right);
        ++block.soundFrames;
    }
    {
        const std::lock_guard lock(mutex_);
        block.index = blocks_.size();
        blocks_.push_back(block);
    }
    mixed_.notify_all();
}

std::uint64_t MixedOutputProbe::nextIndex() const
{
    const std::lock_guard lock(mutex_);
    return blocks_.size();
}

std::optional<MixedOutputProbe::Block> MixedOutputProbe::waitFor(
    std::uint64_t since, const std::function<bool(const Block&)>& wanted, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    std::optional<Block> found;
    mixed_.wait_for(lock, timeout, [&] {
        for (; since < blocks_.size(); ++since) {
            if (wanted(blocks_[since])) {
                found = blocks_[since];
                return true;
            }
        }
        return false;
    });
    return found;
}

std::vector<MixedOutputProbe::Block> MixedOutputProbe::collect(
    std::uint64_t since, std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    mixed_.wait_for(lock, timeout, [&] { return blocks_.size() >= since + count; });
    const auto first = std::min<std::size_t>(since, blocks_.size());
    const auto last = std::min<std::size_t>(since + count, blocks_.size());
    return {blocks_.begin() + static_cast<long>(first), blocks_.begin() + static_cast<long>(last)};
}
