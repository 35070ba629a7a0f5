#pragma once

#include "platform/Shell.h"

#include <string>
#include <vector>

class RecordingShell final : public Shell {
public:
    void openUrl(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};
