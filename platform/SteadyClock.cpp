#include "platform/SteadyClock.h"

#include <time.h>

std::int64_t SteadyClock::nowMicroseconds() const
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1'000'000 + now.tv_nsec / 1000;
}
