#include "platform/CompositorFrameTimes.h"

#include <algorithm>

namespace {

// More frames than this awaiting their timings means the compositor sends none.
constexpr std::size_t kMaxFrames = 16;

} // namespace

void CompositorFrameTimes::ended(std::uint32_t stop, std::uint64_t counter, std::int64_t completedAtUs)
{
    forget(stop);
    while (frames_.size() >= kMaxFrames)
        frames_.pop_front();
    frames_.push_back({stop, counter, completedAtUs, std::nullopt});
}

void CompositorFrameTimes::drawn(std::uint64_t counter, std::int64_t drawnAtUs, std::int64_t nowUs)
{
    const auto frame = std::find_if(frames_.begin(), frames_.end(),
                                    [counter](const Frame& f) { return f.counter == counter; });
    // A drawn time that cannot be this frame's is not taken: the compositor's own may follow.
    if (frame != frames_.end() && !frame->drawnAtUs && believable(*frame, drawnAtUs, nowUs))
        frame->drawnAtUs = drawnAtUs;
}

std::optional<CompositorFrameTimes::Verdict> CompositorFrameTimes::timings(std::uint64_t counter,
                                                                          std::int32_t offsetUs,
                                                                          std::int64_t nowUs)
{
    const auto frame = std::find_if(frames_.begin(), frames_.end(),
                                    [counter](const Frame& f) { return f.counter == counter; });
    if (frame == frames_.end())
        return std::nullopt;
    const Frame ended = *frame;
    frames_.erase(frame);
    Verdict verdict{ended.stop, std::nullopt};
    if (!ended.drawnAtUs || offsetUs == 0)
        return verdict;
    const std::int64_t presentedAtUs = *ended.drawnAtUs + offsetUs;
    if (believable(ended, presentedAtUs, nowUs))
        verdict.presentedAtUs = presentedAtUs;
    return verdict;
}

void CompositorFrameTimes::forget(std::uint32_t stop)
{
    frames_.erase(std::remove_if(frames_.begin(), frames_.end(), [stop](const Frame& f) { return f.stop == stop; }),
                  frames_.end());
}

bool CompositorFrameTimes::believable(const Frame& frame, std::int64_t atUs, std::int64_t nowUs) const
{
    // Not before the picture was in the window, not after the message came.
    return atUs >= frame.completedAtUs && atUs <= nowUs && atUs - frame.completedAtUs <= kMaxDelayUs;
}
