#pragma once

#include <functional>
#include <optional>
#include <string>

// The player's own folder for the record, by the XDG base-directory convention:
// $XDG_DATA_HOME/zumikko when it is an absolute path, else <home>/.local/share/zumikko. A
// relative XDG_DATA_HOME is ignored, as the convention says: it would put the record under
// whatever folder the game was started from. The home is $HOME when that is absolute, else the
// one the user database gives; empty when there is none (never "//.local/share").
class PlayerDataHome {
public:
    struct Environment {
        const char* xdgDataHome = nullptr;
        const char* home = nullptr;
        std::function<std::optional<std::string>()> homeFromUserDatabase;
    };

    static std::string recordDirectory(const Environment& environment);
    // The same for this process: its environment and its user's entry in the user database.
    static std::string recordDirectoryOfThisProcess();
};
