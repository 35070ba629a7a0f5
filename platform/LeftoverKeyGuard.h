#pragma once

#include "platform/EventClock.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <set>
#include <utility>

class QWidget;

// Keeps keys that began before a window was opened out of it: a player still typing in another
// window when this one comes up. Once armed it drops the window's key presses of the first
// moments and every repeat of a key it did not see go down afresh, and keeps the input method
// off the text box until those keys are up, so that no composition grows from them. A key held
// from before whose repeats begin only after the first moments takes the guard back on.
class LeftoverKeyGuard final : public QObject {
    Q_OBJECT
public:
    static constexpr int kGuardMs = 400;
    // How often the guard asks again whether a key is still down once its time is over.
    static constexpr int kHeldKeyPollMs = 50;

    // `textBox` gets its input method back when the guard lets go. `anyKeyHeld`, where given,
    // tells whether a key is down now, so that a key held from before keeps the guard on.
    LeftoverKeyGuard(QWidget& window, QWidget& textBox, const EventClock& times,
                     std::function<bool()> anyKeyHeld = nullptr);

    // The window is being shown or brought forward now.
    void arm();
    bool armed() const { return armed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool filterKey(const class QKeyEvent& key);
    void holdLeftover(int code);
    std::int64_t guardEndUs() const;
    void releaseIfDone(bool unlessAKeyIsHeld = false);

    QWidget& window_;
    QPointer<QWidget> textBox_;
    const EventClock& times_;
    std::function<bool()> anyKeyHeld_;
    QTimer timer_;
    bool everArmed_ = false;
    bool armed_ = false;  // the first moments, or keys from before still held
    std::int64_t armedAtUs_ = 0;
    std::set<int> leftover_;  // keys held down from before, by key code
    std::set<int> fresh_;     // keys pressed in this window since it was armed
    std::pair<int, std::uint64_t> lastRelease_;  // key code and stamp of the last key let go
};
