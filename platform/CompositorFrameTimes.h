#pragma once

#include <cstdint>
#include <deque>
#include <optional>

// Under an X11 compositing manager a stop picture reaches the screen only with the compositor's
// next frame. A compositor that takes part in extended frame synchronization tells a window,
// for each value its frame counter was set to at the end of a frame, when it drew that frame
// (_NET_WM_FRAME_DRAWN) and then when the frame was presented (_NET_WM_FRAME_TIMINGS, as an
// offset from the drawn time). This keeps the stops whose frames were ended and turns those
// messages into a stop's presentation time. Anyone can send a window such messages: only a
// counter value ended here counts, and only a time between the stop's completion and now.
// All times are microseconds on the server's CLOCK_MONOTONIC.
class CompositorFrameTimes {
public:
    // How long after its completion a stop's presentation may lie; mutter reports a frame it
    // did not draw (an obscured window) after six frames, a tenth of a second at 60 Hz.
    static constexpr std::int64_t kMaxDelayUs = 250'000;

    struct Verdict {
        std::uint32_t stop;
        std::optional<std::int64_t> presentedAtUs;  // nothing: the compositor did not say
    };

    // The frame of `stop`, whose picture reached the window at `completedAtUs`, ended with the
    // counter at `counter`.
    void ended(std::uint32_t stop, std::uint64_t counter, std::int64_t completedAtUs);
    void drawn(std::uint64_t counter, std::int64_t drawnAtUs, std::int64_t nowUs);
    // The stop the timings are of, or nothing where they are of no frame ended here. An offset
    // of 0 says the compositor does not know when the frame was presented (mutter sends 1 for a
    // real 0); the other such value, INT32_MIN, lies half an hour before any completion.
    std::optional<Verdict> timings(std::uint64_t counter, std::int32_t offsetUs, std::int64_t nowUs);
    void forget(std::uint32_t stop);

private:
    struct Frame {
        std::uint32_t stop;
        std::uint64_t counter;
        std::int64_t completedAtUs;
        std::optional<std::int64_t> drawnAtUs;
    };
    bool believable(const Frame& frame, std::int64_t atUs, std::int64_t nowUs) const;

    std::deque<Frame> frames_;
};
