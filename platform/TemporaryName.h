#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// Files are written under a temporary name beside their target, "<name>.<pid>.<n>.tmp" for a
// replacement and "<name>.<pid>.<n>.new" for a first copy, and then renamed or linked into place.
// The pid in the name tells whether the writer may still be at work.
class TemporaryName {
public:
    enum class Kind { Replacement, FirstCopy };

    static std::string beside(const std::string& target, pid_t writer, int attempt, Kind kind);

    // The writer's pid when entry is such a name for a target named baseName. A name that only
    // looks like one (letters, or a number no pid can be) is not.
    static std::optional<pid_t> writerOf(std::string_view entry, std::string_view baseName);
};
