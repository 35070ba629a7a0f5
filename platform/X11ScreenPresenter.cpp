#include "platform/X11ScreenPresenter.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kMaxPending = 64;

} // namespace

std::unique_ptr<X11ScreenPresenter> X11ScreenPresenter::createFor(QWidget& widget, EventClock& times)
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return nullptr;
    static const char kName[] = "_ZUMIKKO_PICTURE_SHOWN";
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, std::strlen(kName), kName);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return nullptr;
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return std::unique_ptr<X11ScreenPresenter>(new X11ScreenPresenter(widget, times, connection, atom));
}

X11ScreenPresenter::X11ScreenPresenter(QWidget& widget, EventClock& times, xcb_connection_t* connection,
                                       std::uint32_t atom)
    : widget_(widget), times_(times), connection_(connection), atom_(atom)
{
    timeout_.setSingleShot(true);
    QObject::connect(&timeout_, &QTimer::timeout, [this] { settleOverdue(); });
    qGuiApp->installNativeEventFilter(this);
}

X11ScreenPresenter::~X11ScreenPresenter()
{
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

std::optional<std::int64_t> X11ScreenPresenter::present(Stamped stamped)
{
    const std::int64_t drawnAt = times_.clock().nowMicroseconds();
    widget_.repaint();
    // The server runs one client's requests in order: this change is stamped once it has drawn
    // the picture that repaint() just sent.
    xcb_change_property(connection_, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(widget_.window()->winId()),
                        atom_, XCB_ATOM_INTEGER, 32, 0, nullptr);
    xcb_flush(connection_);
    while (pending_.size() >= kMaxPending)
        pending_.pop_front();
    pending_.push_back({std::move(stamped), drawnAt, times_.clock().nowMicroseconds(), false});
    timeout_.start(kStampTimeoutMs);
    return std::nullopt;
}

bool X11ScreenPresenter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (notify->atom != atom_ || pending_.empty())
        return false;
    Pending answered = std::move(pending_.front());
    pending_.pop_front();
    if (!answered.settled) {
        // Where the server's stamp cannot be placed on the game's clock, the moment of the flush
        // stands in, as the keys' moments of handling then stand in for their stamps.
        settle(answered, times_.pictureMoment(notify->time, answered.drawnAtUs).value_or(answered.flushedAtUs));
    }
    return false;
}

void X11ScreenPresenter::settle(Pending& pending, std::int64_t shownAtUs)
{
    pending.settled = true;
    if (pending.stamped)
        pending.stamped(shownAtUs);
}

void X11ScreenPresenter::settleOverdue()
{
    for (Pending& pending : pending_)
        if (!pending.settled)
            settle(pending, pending.flushedAtUs);
}
