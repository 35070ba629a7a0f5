#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// A repeating timer for something that only matters while it can be seen: while unseen it is
// not armed at all, so it never wakes the process, and once seen again it goes on where it was,
// with the part of the interval that was left. Ticks missed meanwhile are not made up.
class SeenOnlyTimer final : public QObject {
    Q_OBJECT
public:
    SeenOnlyTimer(int intervalMs, std::function<void()> tick, QObject* parent = nullptr);

    // Runs from now on whenever seen; unseen at first.
    void start();
    // For good: being seen again does not restart it.
    void stop();
    void setSeen(bool seen);

    // Armed: ticks will come.
    bool isArmed() const { return timer_.isActive(); }
    // Milliseconds to the next tick, armed or paused; -1 when stopped.
    int remainingMs() const;

private:
    void fire();

    const int intervalMs_;
    std::function<void()> tick_;
    QTimer timer_;
    bool running_ = false;
    bool seen_ = false;
    int leftMs_ = 0;
};
