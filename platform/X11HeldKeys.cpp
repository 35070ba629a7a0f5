#include "platform/X11HeldKeys.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

bool anyKeyHeldOnX11()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr)
        return false;
    xcb_query_keymap_reply_t* reply = xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (reply == nullptr)
        return false;
    // One bit per key code.
    const bool held = std::any_of(std::begin(reply->keys), std::end(reply->keys), [](std::uint8_t bits) { return bits != 0; });
    std::free(reply);
    return held;
}
