#pragma once

#include "platform/MediaCommand.h"

#include <string>

// One sound player bound to one file. Commands take effect at once and in the order sent; a
// device whose file is missing or cannot be played accepts every command and stays silent.
class MediaDevice {
public:
    virtual ~MediaDevice() = default;
    virtual void setFileName(const std::string& path) = 0;
    virtual void command(MediaCommand command) = 0;
};
