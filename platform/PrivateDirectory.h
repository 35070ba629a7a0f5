#pragma once

#include <string>

// A folder of the player's own data, made with any missing parents, private to the player as
// the XDG base directories are.
class PrivateDirectory {
public:
    // 0 when `directory` is a folder afterwards, else the errno of what failed.
    static int make(const std::string& directory);
};
