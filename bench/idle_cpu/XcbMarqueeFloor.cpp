// The least any X11 program can spend on a marquee like the game's, without a toolkit: one
// 8 × 25 cell put straight into a window twenty times a second from a plain sleep loop. Beside
// MarqueeFloor it tells what Qt itself adds, and beside the game what the game adds.
// With --sleep-only the loop wakes but draws nothing.
#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

int main(int argc, char** argv)
{
    const bool draw = !(argc > 1 && std::strcmp(argv[1], "--sleep-only") == 0);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 300, 25, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(connection, window);
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, window, 0, nullptr);
    xcb_flush(connection);

    std::array<std::uint32_t, 8 * 25> cell{};
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    for (int tick = 0;; ++tick) {
        due.tv_nsec += 50'000'000;
        if (due.tv_nsec >= 1'000'000'000) {
            due.tv_nsec -= 1'000'000'000;
            ++due.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
        if (!draw)
            continue;
        cell.fill(tick % 2 ? 0xff0000 : 0x400000);
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, 8, 25, static_cast<std::int16_t>(tick % 37 * 8), 0,
                      0, 24, sizeof cell, reinterpret_cast<const std::uint8_t*>(cell.data()));
        xcb_flush(connection);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
            std::free(event);
        if (xcb_connection_has_error(connection))
            return 0;  // the server went away
    }
}
