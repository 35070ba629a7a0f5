#pragma once

#include "platform/EventClock.h"
#include "platform/ScreenPresenter.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>

class QWidget;
struct xcb_connection_t;

// On X11 the moment a picture is on the display server is taken on the server's own clock, the
// one that also stamps the key events: right after the picture, a zero-length change of a
// property of the window goes to the server, and the PropertyNotify it sends back carries the
// server's time of that change. The game's scheduling then plays no part in a reaction time.
class X11ScreenPresenter final : public ScreenPresenter, public QAbstractNativeEventFilter {
public:
    // How long a stamp may take before the moment of the flush stands in for it.
    static constexpr int kStampTimeoutMs = 1000;

    // Nothing where the program does not run on X11.
    static std::unique_ptr<X11ScreenPresenter> createFor(QWidget& widget, EventClock& times);
    ~X11ScreenPresenter() override;

    std::optional<std::int64_t> present(Stamped stamped) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    X11ScreenPresenter(QWidget& widget, EventClock& times, xcb_connection_t* connection, std::uint32_t atom);

    struct Pending {
        Stamped stamped;
        std::int64_t drawnAtUs;
        std::int64_t flushedAtUs;
        bool settled;
    };
    void settle(Pending& pending, std::int64_t shownAtUs);
    void settleOverdue();

    QWidget& widget_;
    EventClock& times_;
    xcb_connection_t* connection_;
    std::uint32_t atom_;
    // One entry per property change sent; the server answers them in order.
    std::deque<Pending> pending_;
    QTimer timeout_;
};
