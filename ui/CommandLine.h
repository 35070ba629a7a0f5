#pragma once

#include <optional>

// The program's options, read before any window system is touched, so that --help, --version
// and a mistyped option answer in a terminal without a display, and a missing display is said
// in one line instead of Qt's abort.
class CommandLine {
public:
    // The exit status when the program ends here; nothing when it goes on to start the game.
    // -platform and -display are left in argv for Qt to read.
    static std::optional<int> handle(int argc, char** argv);
};
