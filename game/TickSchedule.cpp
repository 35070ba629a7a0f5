#include "game/TickSchedule.h"

#include <algorithm>

void TickSchedule::restart(std::int64_t nowUs)
{
    dueUs_ = nowUs;
}

std::int64_t TickSchedule::microsecondsToNext(std::int64_t startUs, std::int64_t nowUs, int delayMs)
{
    if (startUs - dueUs_ > kMaxLatenessUs)
        dueUs_ = startUs;
    dueUs_ += (nowUs - startUs) + std::int64_t{delayMs} * 1000;
    return std::max<std::int64_t>(0, dueUs_ - nowUs);
}
