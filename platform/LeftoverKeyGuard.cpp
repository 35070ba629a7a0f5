#include "platform/LeftoverKeyGuard.h"

#include "platform/WindowHandleEvents.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

LeftoverKeyGuard::LeftoverKeyGuard(QWidget& window, QWidget& textBox, const EventClock& times,
                                   std::function<bool()> anyKeyHeld)
    : QObject(&window), window_(window), textBox_(&textBox), times_(times), anyKeyHeld_(std::move(anyKeyHeld))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { releaseIfDone(true); });
    window_.installEventFilter(this);
    // An input method hands its text to the box itself, not through the window.
    textBox.installEventFilter(this);
    listenToWindowHandle(window_, *this);
}

void LeftoverKeyGuard::arm()
{
    everArmed_ = true;
    armed_ = true;
    armedAtUs_ = times_.clock().nowMicroseconds();
    lastRelease_ = {};
    leftover_.clear();
    fresh_.clear();
    if (textBox_)
        textBox_->setAttribute(Qt::WA_InputMethodEnabled, false);
    listenToWindowHandle(window_, *this);
    timer_.start(kGuardMs);
}

bool LeftoverKeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (followWindowHandle(window_, *this, watched, *event))
        return false;
    if (watched == textBox_.data())
        return event->type() == QEvent::InputMethod && armed_;
    if (!everArmed_ || watched != window_.windowHandle())
        return false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return filterKey(*static_cast<const QKeyEvent*>(event));
    return false;
}

bool LeftoverKeyGuard::filterKey(const QKeyEvent& key)
{
    const int code = key.key();
    const std::uint64_t stamp = key.timestamp();
    if (key.type() == QEvent::KeyRelease) {
        // X11 sends a release before each repeat; only the last one means the key is up.
        if (!key.isAutoRepeat()) {
            lastRelease_ = {code, stamp};
            leftover_.erase(code);
            fresh_.erase(code);
            releaseIfDone();
        }
        return false;
    }
    // Qt calls a press a repeat only when it finds it already queued behind the release; a press
    // read a moment later is stamped in the same millisecond as that release, and is a repeat too.
    const bool repeat = key.isAutoRepeat() || (stamp != 0 && lastRelease_ == std::pair{code, stamp});
    if (repeat) {
        // A repeat of a key whose press this window never took was held down from before, however
        // late its repeats begin (the desktop's repeat delay is often longer than the guard):
        // the guard holds again until that key is up.
        if (fresh_.count(code) != 0)
            return false;
        holdLeftover(code);
        return true;
    }
    const std::int64_t pressedAt = times_.eventMomentOrNow(key.timestamp());
    if (armed_ && pressedAt < guardEndUs()) {
        leftover_.insert(code);
        return true;
    }
    fresh_.insert(code);
    if (armed_) {
        // The player types afresh: whatever is still marked as held was let go elsewhere.
        leftover_.clear();
        releaseIfDone();
    }
    return false;
}

void LeftoverKeyGuard::holdLeftover(int code)
{
    leftover_.insert(code);
    if (armed_)
        return;
    armed_ = true;
    if (textBox_)
        textBox_->setAttribute(Qt::WA_InputMethodEnabled, false);
}

std::int64_t LeftoverKeyGuard::guardEndUs() const
{
    return armedAtUs_ + std::int64_t{kGuardMs} * 1000;
}

void LeftoverKeyGuard::releaseIfDone(bool unlessAKeyIsHeld)
{
    if (!armed_ || !leftover_.empty())
        return;
    const std::int64_t left = guardEndUs() - times_.clock().nowMicroseconds();
    if (left > 0) {
        timer_.start(static_cast<int>((left + 999) / 1000));
        return;
    }
    // The guard ends without a key of its own: a key still down was held from before, even if
    // none of its repeats has come yet. Once the player types afresh, keys down are theirs.
    if (unlessAKeyIsHeld && anyKeyHeld_ && anyKeyHeld_()) {
        timer_.start(kHeldKeyPollMs);
        return;
    }
    armed_ = false;
    if (textBox_)
        textBox_->setAttribute(Qt::WA_InputMethodEnabled, true);
}
