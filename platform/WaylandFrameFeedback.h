#pragma once

#include "platform/Clock.h"
#include "platform/FrameFeedback.h"

#include <list>
#include <memory>

#include <time.h>

struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wp_presentation;
struct wp_presentation_feedback;

// The compositor's presentation feedback (the presentation-time protocol), read on an event
// queue of its own so that Qt's dispatching of the window's events is left alone.
class WaylandFrameFeedback final : public FrameFeedback {
public:
    // Nothing where the program does not run on Wayland or the compositor gives no feedback.
    static std::unique_ptr<WaylandFrameFeedback> create(const Clock& clock);
    ~WaylandFrameFeedback() override;

    bool requestForNextPicture(QWindow& window, Answer answer) override;
    void send() override;
    void collect() override;

    // The clock the compositor stamps with (CLOCK_MONOTONIC on most compositors).
    clockid_t compositorClock() const { return compositorClock_; }

private:
    struct Request {
        WaylandFrameFeedback* owner;
        wp_presentation_feedback* proxy;
        Answer answer;
        // Game clock minus the compositor's clock, taken when the picture was asked about.
        std::int64_t offsetUs;
    };

    WaylandFrameFeedback(const Clock& clock, wl_display* display);
    void answer(Request* request, std::optional<std::int64_t> compositorUs);

    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version);
    static void onClockId(void* data, wp_presentation* presentation, std::uint32_t clock);
    static void onPresented(void* data, wp_presentation_feedback* feedback, std::uint32_t secondsHigh,
                            std::uint32_t secondsLow, std::uint32_t nanoseconds, std::uint32_t refreshNs,
                            std::uint32_t sequenceHigh, std::uint32_t sequenceLow, std::uint32_t flags);
    static void onDiscarded(void* data, wp_presentation_feedback* feedback);

    const Clock& clock_;
    wl_display* display_;
    wl_event_queue* queue_ = nullptr;
    wl_registry* registry_ = nullptr;
    wp_presentation* presentation_ = nullptr;
    clockid_t compositorClock_ = CLOCK_MONOTONIC;
    bool clockKnown_ = false;
    std::list<std::unique_ptr<Request>> requests_;
};
