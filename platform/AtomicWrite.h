#pragma once

#include <optional>
#include <string>
#include <string_view>

// Whole-file writes through AtomicFileWriter, for bytes that are all at hand. Each returns
// nothing on success, else the reason it failed as plain text.
class AtomicWrite {
public:
    // Puts bytes under path (or where a link there leads), replacing a regular file there and
    // refusing anything else; see AtomicFileWriter::open.
    static std::optional<std::string> replace(const std::string& path, std::string_view bytes);

    // Puts bytes under path only if nothing is there yet; a name taken meanwhile (by another
    // process doing the same) is success, and what stands there is left untouched.
    static std::optional<std::string> createIfAbsent(const std::string& path, std::string_view bytes);
};
