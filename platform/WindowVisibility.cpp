#include "platform/WindowVisibility.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

WindowVisibility::WindowVisibility(QWidget& window)
    : QObject(&window), widget_(window)
{
    widget_.installEventFilter(this);
    attach();
    if (qGuiApp)
        qGuiApp->installNativeEventFilter(this);
}

WindowVisibility::~WindowVisibility()
{
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool WindowVisibility::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WinIdChange:
        if (watched == &widget_)
            attach();
        recheck();
        break;
    case QEvent::Hide:
    case QEvent::Expose:
    case QEvent::WindowStateChange:
        recheck();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowVisibility::attach()
{
    QWindow* window = widget_.windowHandle();
    if (window != window_) {
        if (window_)
            window_->removeEventFilter(this);
        window_ = window;
        if (window_)
            window_->installEventFilter(this);
        x11Window_ = 0;
        fullyCovered_ = false;
    }
    watchX11Visibility();
}

void WindowVisibility::watchX11Visibility()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window_ || window_->handle() == nullptr)
        return;
    const auto id = static_cast<xcb_window_t>(window_->winId());
    if (id == x11Window_)
        return;
    // The mask is this connection's, which is Qt's own: add to what Qt selected, never replace it.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    if (!attributes)
        return;
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    x11Window_ = id;
    fullyCovered_ = false;
}

bool WindowVisibility::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (x11Window_ == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_VISIBILITY_NOTIFY)
        return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (visibility->window != x11Window_)
        return false;
    fullyCovered_ = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    recheck();
    return false;
}

void WindowVisibility::recheck()
{
    const bool seen = window_ && widget_.isVisible() && window_->isExposed()
                      && !(widget_.windowState() & Qt::WindowMinimized) && !fullyCovered_;
    if (seen == seen_)
        return;
    seen_ = seen;
    emit seenChanged(seen_);
}
