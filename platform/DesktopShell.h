#pragma once

#include "platform/Shell.h"

// Opens addresses through Qt's desktop services (xdg-open on X11, started detached).
class DesktopShell : public Shell {
public:
    void openUrl(const std::string& address) override;
};
