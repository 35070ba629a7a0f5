#include "platform/DeadlineTimer.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

DeadlineTimer::DeadlineTimer(QObject* parent)
    : QObject(parent)
{
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            if (read(fd_, &expirations, sizeof expirations) == sizeof expirations)
                fire();
        });
    } else {
        fallback_ = new QTimer(this);
        fallback_->setSingleShot(true);
        fallback_->setTimerType(Qt::PreciseTimer);
        connect(fallback_, &QTimer::timeout, this, &DeadlineTimer::fire);
    }
}

DeadlineTimer::~DeadlineTimer()
{
    if (fd_ >= 0)
        close(fd_);
}

void DeadlineTimer::startIn(std::int64_t microseconds)
{
    active_ = true;
    if (fd_ < 0) {
        fallback_->start(static_cast<int>(std::max<std::int64_t>(0, (microseconds + 500) / 1000)));
        return;
    }
    // A zero time would disarm the timer: what is due already is due in a microsecond.
    const std::int64_t in = std::max<std::int64_t>(microseconds, 1);
    itimerspec due{};
    due.it_value.tv_sec = in / 1'000'000;
    due.it_value.tv_nsec = (in % 1'000'000) * 1000;
    timerfd_settime(fd_, 0, &due, nullptr);
}

void DeadlineTimer::stop()
{
    active_ = false;
    if (fd_ < 0) {
        fallback_->stop();
        return;
    }
    const itimerspec disarm{};
    timerfd_settime(fd_, 0, &disarm, nullptr);
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto ignored = read(fd_, &expirations, sizeof expirations);  // drop one already due
}

void DeadlineTimer::fire()
{
    if (!active_)
        return;
    active_ = false;
    emit timeout();
    if (handler_)
        handler_();
}
