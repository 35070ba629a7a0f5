#pragma once

#include "platform/Clock.h"

class SteadyClock final : public Clock {
public:
    std::int64_t nowMicroseconds() const override;
};
