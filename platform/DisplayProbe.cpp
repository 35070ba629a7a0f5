#include "platform/DisplayProbe.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The platforms Qt tries, in its order: the -platform argument, else QT_QPA_PLATFORM, else
// Wayland first where a Wayland session is announced, then X11.
std::vector<std::string> platformsToTry(const std::string& platformArgument)
{
    std::string names = platformArgument;
    if (names.empty())
        names = environment("QT_QPA_PLATFORM");
    if (names.empty()) {
        const bool wayland = !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland";
        names = wayland ? "wayland;xcb" : "xcb";
    }
    std::vector<std::string> platforms;
    std::string_view rest = names;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        std::string_view entry = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        entry = entry.substr(0, entry.find(':'));  // "xcb:option=value"
        if (!entry.empty())
            platforms.emplace_back(entry);
    }
    return platforms;
}

bool x11Answers(const std::string& display)
{
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool waylandAnswers()
{
    // Where the socket's folder is unknown, libwayland prints a line of its own and fails.
    const std::string name = environment("WAYLAND_DISPLAY");
    if (environment("WAYLAND_SOCKET").empty() && !name.starts_with('/') && environment("XDG_RUNTIME_DIR").empty())
        return false;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    wl_display_disconnect(display);
    return true;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

} // namespace

std::string DisplayProbe::problem(const std::string& platformArgument, const std::string& displayArgument)
{
    std::string tried;
    for (const std::string& platform : platformsToTry(platformArgument)) {
        std::string what;
        if (platform == "xcb") {
            const std::string display = displayArgument.empty() ? environment("DISPLAY") : displayArgument;
            if (!display.empty() && x11Answers(display))
                return {};
            what = display.empty() ? "X display (DISPLAY is not set)" : "X display " + quoted(display);
        } else if (platform.starts_with("wayland")) {
            if (waylandAnswers())
                return {};
            const std::string display = environment("WAYLAND_DISPLAY");
            what = "Wayland display " + quoted(display.empty() ? "wayland-0" : display);
        } else {
            // offscreen, vnc, eglfs and the like: Qt's own checks are all there is.
            return {};
        }
        tried += (tried.empty() ? "" : " or ") + what;
    }
    std::string line = "cannot connect to " + (tried.empty() ? std::string("any display: no platform named") : tried);
    if (!platformArgument.empty())
        line += " (-platform " + platformArgument + ")";
    else if (const std::string chosen = environment("QT_QPA_PLATFORM"); !chosen.empty())
        line += " (QT_QPA_PLATFORM=" + chosen + ")";
    return line;
}
