#pragma once

#include <string>

// Where writing to a path really lands. A player may keep a file elsewhere (in a synced folder)
// and leave a symbolic link in its place; replacing the file must then happen beside the link's
// final target, on that file, or the link would be swapped for a plain file and the target keep
// the old contents.
struct FinalTarget {
    enum class Outcome {
        Resolved,  // path: the final target, or the path itself when it is no link
        Dangling,  // the link leads to nothing; path: where it leads
        Loop,      // the links go round (or nest too deep)
        Failed,    // error holds the errno
    };
    Outcome outcome = Outcome::Resolved;
    std::string path;
    int error = 0;

    static FinalTarget of(const std::string& path);
};
