#pragma once

#include <string>

// Asks, before Qt does, whether the window system Qt will choose answers: when none of its
// platforms can connect, Qt aborts with a core dump instead of saying so.
class DisplayProbe {
public:
    // Empty when a display answers, or when Qt is to use a platform this cannot check;
    // otherwise one line naming the displays tried and QT_QPA_PLATFORM when it is set.
    // `platformArgument` and `displayArgument` are the values of -platform and -display, if given.
    static std::string problem(const std::string& platformArgument, const std::string& displayArgument);
};
