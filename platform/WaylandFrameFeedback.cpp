#include "platform/WaylandFrameFeedback.h"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include "presentation-time-client-protocol.h"

#include <poll.h>

#include <cstring>

namespace {

std::int64_t nowOn(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return std::int64_t{now.tv_sec} * 1'000'000 + now.tv_nsec / 1000;
}

} // namespace

std::unique_ptr<WaylandFrameFeedback> WaylandFrameFeedback::create(const Clock& clock)
{
    if (!qGuiApp || QGuiApplication::platformName() != QStringLiteral("wayland"))
        return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display = native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")) : nullptr;
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandFrameFeedback> feedback(new WaylandFrameFeedback(clock, display));
    // Two round trips: the first lists the globals, the second brings the presentation's clock.
    for (int trip = 0; trip < 2; ++trip)
        if (wl_display_roundtrip_queue(display, feedback->queue_) < 0)
            return nullptr;
    if (!feedback->presentation_ || !feedback->clockKnown_)
        return nullptr;
    return feedback;
}

WaylandFrameFeedback::WaylandFrameFeedback(const Clock& clock, wl_display* display) : clock_(clock), display_(display)
{
    static const wl_registry_listener listener = {&WaylandFrameFeedback::onGlobal,
                                                  [](void*, wl_registry*, std::uint32_t) {}};
    queue_ = wl_display_create_queue(display_);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue_);
    registry_ = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    wl_registry_add_listener(registry_, &listener, this);
}

WaylandFrameFeedback::~WaylandFrameFeedback()
{
    for (const auto& request : requests_)
        wp_presentation_feedback_destroy(request->proxy);
    if (presentation_)
        wp_presentation_destroy(presentation_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (queue_)
        wl_event_queue_destroy(queue_);
}

void WaylandFrameFeedback::onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                                    std::uint32_t)
{
    auto* self = static_cast<WaylandFrameFeedback*>(data);
    if (std::strcmp(interface, wp_presentation_interface.name) != 0 || self->presentation_)
        return;
    self->presentation_ = static_cast<wp_presentation*>(wl_registry_bind(registry, name, &wp_presentation_interface, 1));
    static const wp_presentation_listener listener = {&WaylandFrameFeedback::onClockId};
    wp_presentation_add_listener(self->presentation_, &listener, self);
}

void WaylandFrameFeedback::onClockId(void* data, wp_presentation*, std::uint32_t clock)
{
    auto* self = static_cast<WaylandFrameFeedback*>(data);
    self->compositorClock_ = static_cast<clockid_t>(clock);
    self->clockKnown_ = true;
}

bool WaylandFrameFeedback::requestForNextPicture(QWindow& window, Answer answer)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* surface = native ? static_cast<wl_surface*>(native->nativeResourceForWindow("surface", &window)) : nullptr;
    if (!surface)
        return false;
    // The game's clock is CLOCK_MONOTONIC; another compositor clock is mapped onto it by reading
    // both at once.
    const std::int64_t offsetUs =
        compositorClock_ == CLOCK_MONOTONIC ? 0 : clock_.nowMicroseconds() - nowOn(compositorClock_);
    auto request = std::make_unique<Request>(Request{this, wp_presentation_feedback(presentation_, surface),
                                                     std::move(answer), offsetUs});
    static const wp_presentation_feedback_listener listener = {
        [](void*, struct wp_presentation_feedback*, wl_output*) {},
        &WaylandFrameFeedback::onPresented,
        &WaylandFrameFeedback::onDiscarded,
    };
    wp_presentation_feedback_add_listener(request->proxy, &listener, request.get());
    requests_.push_back(std::move(request));
    return true;
}

void WaylandFrameFeedback::send()
{
    wl_display_flush(display_);
}

void WaylandFrameFeedback::collect()
{
    // Reads what has arrived without waiting; Qt's own reading of the connection may already
    // have put this queue's events in place.
    while (wl_display_prepare_read_queue(display_, queue_) != 0)
        wl_display_dispatch_queue_pending(display_, queue_);
    wl_display_flush(display_);
    pollfd readable{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&readable, 1, 0) > 0)
        wl_display_read_events(display_);
    else
        wl_display_cancel_read(display_);
    wl_display_dispatch_queue_pending(display_, queue_);
}

void WaylandFrameFeedback::onPresented(void* data, struct wp_presentation_feedback*, std::uint32_t secondsHigh,
                                       std::uint32_t secondsLow, std::uint32_t nanoseconds, std::uint32_t,
                                       std::uint32_t, std::uint32_t, std::uint32_t)
{
    auto* request = static_cast<Request*>(data);
    const std::int64_t seconds = static_cast<std::int64_t>((std::uint64_t{secondsHigh} << 32) | secondsLow);
    request->owner->answer(request, seconds * 1'000'000 + nanoseconds / 1000);
}

void WaylandFrameFeedback::onDiscarded(void* data, struct wp_presentation_feedback*)
{
    auto* request = static_cast<Request*>(data);
    request->owner->answer(request, std::nullopt);
}

void WaylandFrameFeedback::answer(Request* request, std::optional<std::int64_t> compositorUs)
{
    const Answer answer = std::move(request->answer);
    const std::optional<std::int64_t> presentedAt =
        compositorUs ? std::optional<std::int64_t>(*compositorUs + request->offsetUs) : std::nullopt;
    wp_presentation_feedback_destroy(request->proxy);
    requests_.remove_if([request](const std::unique_ptr<Request>& held) { return held.get() == request; });
    if (answer)
        answer(presentedAt);
}
