#pragma once

#include "platform/EventClock.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QWidget;

// Hands every key press of one window to the judge exactly once, with its key code and the
// moment it went down, whichever control has the focus. It listens where the window system
// delivers the key to the window, before any control sees it, so no control can pass it on a
// second time; the key then goes on to the focused control as usual (Tab, Space on a button).
class KeyRouter final : public QObject {
    Q_OBJECT
public:
    using Judge = std::function<void(int keyCode, std::int64_t pressedAtUs)>;

    KeyRouter(QWidget& window, const EventClock& times, Judge judge);

    // The virtual-key code of a key: 65-90 for the letters whatever Shift and Caps Lock say.
    static int virtualKeyCode(int qtKey);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:

    QWidget& window_;
    const EventClock& times_;
    Judge judge_;
    std::int64_t lastPressedAtUs_ = 0;
};
