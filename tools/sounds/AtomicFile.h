#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Writes a whole file or nothing: the bytes go to a temporary file beside the target, which
// then replaces it, so a failed run never leaves a half-written asset behind.
class AtomicFile {
public:
    static void write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
};
