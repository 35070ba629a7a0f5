#pragma once

#include "platform/MediaDevice.h"

#include <string>
#include <vector>

// Writes every file name and command it receives, tagged with its own name, into a shared log,
// so tests can check the order across devices.
class RecordingMediaDevice final : public MediaDevice {
public:
    RecordingMediaDevice(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

    void setFileName(const std::string& path) override { log_.push_back(name_ + " file " + path); }
    void command(MediaCommand command) override { log_.push_back(name_ + " " + toString(command)); }

private:
    std::string name_;
    std::vector<std::string>& log_;
};
