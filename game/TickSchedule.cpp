#include "game/TickSchedule.h"

#include <algorithm>

void TickSchedule::restart(std::int64_t nowUs)
{
    dueUs_ = nowUs;
}

int TickSchedule::millisecondsToNext(std::int64_t startUs, std::int64_t nowUs, int delayMs)
{
    if (startUs - dueUs_ > kMaxLatenessUs)
        dueUs_ = startUs;
    dueUs_ += (nowUs - startUs) + std::int64_t{delayMs} * 1000;
    const std::int64_t waitUs = dueUs_ - nowUs;
    return static_cast<int>(std::max<std::int64_t>(0, (waitUs + 500) / 1000));
}
