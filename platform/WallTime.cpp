#include "platform/WallTime.h"

#include <ctime>

WallTime WallTime::now()
{
    timespec clock{};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    WallTime moment;
    moment.sinceEpochMs = static_cast<std::int64_t>(clock.tv_sec) * 1000 + clock.tv_nsec / 1'000'000;
    std::tm local{};
    const std::time_t seconds = clock.tv_sec;
    if (::localtime_r(&seconds, &local))
        moment.utcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
    return moment;
}
