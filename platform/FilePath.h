#pragma once

#include <string>

// The two halves of a path as bytes, without touching the file system: the folder part ("." for
// a bare name, "/" at the root) and the last name.
class FilePath {
public:
    static std::string directoryOf(const std::string& path);
    static std::string baseNameOf(const std::string& path);
};
