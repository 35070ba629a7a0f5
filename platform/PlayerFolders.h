#pragma once

#include <functional>
#include <optional>
#include <string>

// The player's own folders, by the XDG base-directory convention: for the record
// $XDG_DATA_HOME/zumikko, else <home>/.local/share/zumikko; for rendered music
// $XDG_CACHE_HOME/zumikko, else <home>/.cache/zumikko. An XDG value that is empty or not an
// absolute path is ignored, as the convention says: a relative one would put the files under
// whatever folder the game was started from. The home is $HOME when that is absolute, else the
// one the user database gives; a folder is empty when there is no home (never "//.local/share").
class PlayerFolders {
public:
    struct Environment {
        const char* xdgDataHome = nullptr;
        const char* home = nullptr;
        std::function<std::optional<std::string>()> homeFromUserDatabase;
        const char* xdgCacheHome = nullptr;
    };

    static std::string recordDirectory(const Environment& environment);
    static std::string cacheDirectory(const Environment& environment);
    // The same for this process: its environment and its user's entry in the user database.
    static std::string recordDirectoryOfThisProcess();
    static std::string cacheDirectoryOfThisProcess();
};
