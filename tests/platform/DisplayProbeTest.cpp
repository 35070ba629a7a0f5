#include "platform/DisplayProbe.h"

#include "tests/fakes/ScopedEnvironment.h"
#include "tests/fakes/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// No display answers in any of these: the line must name each one tried, in Qt's order, and
// what chose them.
TEST(DisplayProbe, namesEveryDisplayTriedAndWhatChoseThem)
{
    TemporaryDirectory runtime;
    struct Case {
        const char* platformArgument;
        const char* displayArgument;
        const char* qtPlatform;
        const char* display;
        const char* waylandDisplay;
        const char* sessionType;
        const char* runtimeDirectory;
        std::string expected;
    };
    const std::string folder = runtime.path();
    const Case cases[] = {
        {"", "", nullptr, nullptr, nullptr, nullptr, nullptr, "cannot connect to X display (DISPLAY is not set)"},
        {"", "", nullptr, ":4321", nullptr, nullptr, nullptr, "cannot connect to X display \":4321\""},
        {"", ":4322", nullptr, ":4321", nullptr, nullptr, nullptr, "cannot connect to X display \":4322\""},
        {"xcb", "", "wayland", nullptr, nullptr, nullptr, nullptr,
         "cannot connect to X display (DISPLAY is not set) (-platform xcb)"},
        {"", "", "wayland;xcb:foo=1", nullptr, "zumikko-nowhere", nullptr, folder.c_str(),
         "cannot connect to Wayland display \"zumikko-nowhere\" or X display (DISPLAY is not set) "
         "(QT_QPA_PLATFORM=wayland;xcb:foo=1)"},
        {"", "", nullptr, ":4321", nullptr, "wayland", nullptr,
         "cannot connect to Wayland display \"wayland-0\" or X display \":4321\""},
        {"", "", nullptr, nullptr, "zumikko-nowhere", nullptr, folder.c_str(),
         "cannot connect to Wayland display \"zumikko-nowhere\" or X display (DISPLAY is not set)"},
        {"wayland-egl", "", nullptr, ":4321", nullptr, nullptr, nullptr,
         "cannot connect to Wayland display \"wayland-0\" (-platform wayland-egl)"},
        {"", "", ";;", ":4321", nullptr, nullptr, nullptr,
         "cannot connect to any display: no platform named (QT_QPA_PLATFORM=;;)"},
        // Platforms that cannot be asked are left to Qt.
        {"offscreen", "", nullptr, nullptr, nullptr, nullptr, nullptr, ""},
        {"", "", "minimal;xcb", nullptr, nullptr, nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        const ScopedEnvironment qtPlatform("QT_QPA_PLATFORM", c.qtPlatform);
        const ScopedEnvironment display("DISPLAY", c.display);
        const ScopedEnvironment waylandDisplay("WAYLAND_DISPLAY", c.waylandDisplay);
        const ScopedEnvironment waylandSocket("WAYLAND_SOCKET", nullptr);
        const ScopedEnvironment sessionType("XDG_SESSION_TYPE", c.sessionType);
        const ScopedEnvironment runtimeDirectory("XDG_RUNTIME_DIR", c.runtimeDirectory);
        EXPECT_EQ(DisplayProbe::problem(c.platformArgument, c.displayArgument), c.expected)
            << "-platform '" << c.platformArgument << "' QT_QPA_PLATFORM '" << (c.qtPlatform ? c.qtPlatform : "")
            << "'";
    }
}

} // namespace
