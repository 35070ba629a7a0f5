#include "tests/platform/ServerKeyPress.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

bool pressKeyAOnTheServer()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const KeyCode code = XKeysymToKeycode(display, XK_a);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}
