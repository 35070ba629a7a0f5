#pragma once

#include "platform/OneShotTimer.h"

#include <QObject>

#include <cstdint>
#include <memory>

class QSocketNotifier;
class QTimer;

// A single-shot timer with microsecond resolution. Qt's own timers wake in whole milliseconds,
// which is coarse next to a reel tick of 5 ms; this one uses the kernel's timerfd on the event
// loop, and falls back to a precise QTimer where there is none.
class DeadlineTimer : public QObject, public OneShotTimer {
    Q_OBJECT
public:
    explicit DeadlineTimer(QObject* parent = nullptr);
    ~DeadlineTimer() override;

    void startIn(std::int64_t microseconds) override;
    void stop() override;
    bool isActive() const override { return active_; }
    // Called on each timeout, after the signal.
    void setTimeoutHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

signals:
    void timeout();

private:
    void fire();

    int fd_ = -1;
    bool active_ = false;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* fallback_ = nullptr;
    std::function<void()> handler_;
};
