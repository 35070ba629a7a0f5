#include "platform/SeenOnlyTimer.h"

#include <algorithm>

SeenOnlyTimer::SeenOnlyTimer(int intervalMs, std::function<void()> tick, QObject* parent)
    : QObject(parent), intervalMs_(intervalMs), tick_(std::move(tick)), leftMs_(intervalMs)
{
    connect(&timer_, &QTimer::timeout, this, &SeenOnlyTimer::fire);
}

void SeenOnlyTimer::start()
{
    if (running_)
        return;
    running_ = true;
    leftMs_ = intervalMs_;
    if (seen_)
        timer_.start(leftMs_);
}

void SeenOnlyTimer::stop()
{
    running_ = false;
    timer_.stop();
}

void SeenOnlyTimer::setSeen(bool seen)
{
    if (seen == seen_)
        return;
    seen_ = seen;
    if (!running_)
        return;
    if (seen) {
        timer_.start(leftMs_);
    } else {
        leftMs_ = std::clamp(timer_.remainingTime(), 0, intervalMs_);
        timer_.stop();
    }
}

int SeenOnlyTimer::remainingMs() const
{
    if (!running_)
        return -1;
    return timer_.isActive() ? timer_.remainingTime() : leftMs_;
}

void SeenOnlyTimer::fire()
{
    // The first tick after a pause came after what was left of an interval; from it on, whole
    // intervals again.
    if (timer_.interval() != intervalMs_)
        timer_.start(intervalMs_);
    tick_();
}
