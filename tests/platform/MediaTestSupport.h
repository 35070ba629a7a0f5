#pragma once

#include "platform/MediaDevice.h"

#include <chrono>
#include <functional>
#include <initializer_list>
#include <thread>

namespace MediaTestSupport {

inline void send(MediaDevice& device, std::initializer_list<MediaCommand> commands)
{
    for (const MediaCommand command : commands)
        device.command(command);
}

// Polls until `condition` holds or `timeout` has passed; says which.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace MediaTestSupport
