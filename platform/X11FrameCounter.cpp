#include "platform/X11FrameCounter.h"

#include <xcb/sync.h>
#include <xcb/xcb.h>

namespace {

// mutter asks for 240 beyond the value it last saw; a request further ahead is no window manager's.
constexpr std::uint64_t kMaxRequestStep = 1 << 16;

xcb_sync_int64_t syncValue(std::uint64_t value)
{
    return {static_cast<std::int32_t>(value >> 32), static_cast<std::uint32_t>(value)};
}

} // namespace

std::unique_ptr<X11FrameCounter> X11FrameCounter::install(xcb_connection_t* connection, std::uint32_t window,
                                                          std::uint32_t counterProperty,
                                                          const xcb_get_property_reply_t& existing)
{
    if (existing.type != XCB_ATOM_CARDINAL || existing.format != 32 || xcb_get_property_value_length(&existing) != 4)
        return nullptr;
    const std::uint32_t counters[] = {*static_cast<const std::uint32_t*>(xcb_get_property_value(&existing)),
                                      xcb_generate_id(connection)};
    // Even: the window is drawn from the start.
    xcb_sync_create_counter(connection, counters[1], syncValue(0));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, counterProperty, XCB_ATOM_CARDINAL, 32, 2,
                        counters);
    return std::unique_ptr<X11FrameCounter>(new X11FrameCounter(connection, window, counters[1]));
}

X11FrameCounter::X11FrameCounter(xcb_connection_t* connection, std::uint32_t window, std::uint32_t counter)
    : connection_(connection), window_(window), counter_(counter)
{
}

X11FrameCounter::~X11FrameCounter()
{
    end();
    xcb_flush(connection_);
}

void X11FrameCounter::begin()
{
    if (!open())
        set(value_ + 1);
}

std::uint64_t X11FrameCounter::end()
{
    if (!open())
        return 0;
    set(value_ + 1);
    return value_;
}

bool X11FrameCounter::answer(std::uint64_t requested)
{
    const std::uint64_t even = requested + requested % 2;
    if (even <= value_ || even - value_ > kMaxRequestStep)
        return false;
    const bool wasOpen = open();
    set(even);
    return wasOpen;
}

void X11FrameCounter::set(std::uint64_t value)
{
    value_ = value;
    xcb_sync_set_counter(connection_, counter_, syncValue(value));
}
