#include "ui/KeyRouter.h"

#include "platform/WindowHandleEvents.h"

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

KeyRouter::KeyRouter(QWidget& window, const EventClock& times, Judge judge)
    : QObject(&window), window_(window), times_(times), judge_(std::move(judge))
{
    window_.installEventFilter(this);
    listenToWindowHandle(window_, *this);
}

int KeyRouter::virtualKeyCode(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;
    // Digits, space and punctuation keep their codes; everything else is some code outside the letters.
    if (qtKey >= Qt::Key_Space && qtKey < Qt::Key_A)
        return qtKey;
    return 0;
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event)
{
    if (followWindowHandle(window_, *this, watched, *event))
        return false;
    if (event->type() == QEvent::KeyPress && watched == window_.windowHandle()) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        // Keys come in the order they were pressed; a stamp that had to be replaced by the
        // moment of handling must not put a later key before an earlier one.
        const std::int64_t pressedAt = std::max(times_.eventMomentOrNow(key->timestamp()), lastPressedAtUs_);
        lastPressedAtUs_ = pressedAt;
        judge_(virtualKeyCode(key->key()), pressedAt);
    }
    return false;
}
