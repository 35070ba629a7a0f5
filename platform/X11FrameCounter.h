#pragma once

#include <cstdint>
#include <memory>

struct xcb_connection_t;
struct xcb_get_property_reply_t;

// A window's extended frame counter, the second of _NET_WM_SYNC_REQUEST_COUNTER: odd while a
// frame is being made, the next even value once it is in the window. A compositing manager
// draws the window only at an even value and then reports that frame under that value, so a
// frame is never left open: whoever begins one ends it within its own bounded wait.
class X11FrameCounter {
public:
    // Adds a counter to the window's, where `existing` (its _NET_WM_SYNC_REQUEST_COUNTER) names
    // Qt's own alone; Qt's stays the first, which window managers without frame synchronization
    // keep using for their resizes. Nothing where the window has no counter or two already.
    static std::unique_ptr<X11FrameCounter> install(xcb_connection_t* connection, std::uint32_t window,
                                                    std::uint32_t counterProperty,
                                                    const xcb_get_property_reply_t& existing);
    ~X11FrameCounter();
    X11FrameCounter(const X11FrameCounter&) = delete;
    X11FrameCounter& operator=(const X11FrameCounter&) = delete;

    std::uint32_t window() const { return window_; }
    bool open() const { return value_ % 2 == 1; }
    void begin();
    // The value that ended the open frame, or 0 where none was open.
    std::uint64_t end();
    // A window manager that sent _NET_WM_SYNC_REQUEST for the extended counter waits (mutter up
    // to a second, with the window frozen) until the counter reaches that value; Qt only
    // answers on its own counter. Returns whether an open frame was ended by it.
    bool answer(std::uint64_t requested);

private:
    X11FrameCounter(xcb_connection_t* connection, std::uint32_t window, std::uint32_t counter);
    void set(std::uint64_t value);

    xcb_connection_t* connection_;
    std::uint32_t window_;
    std::uint32_t counter_;
    std::uint64_t value_ = 0;
};
