#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// Rendered music kept between runs, one file per song and rendering key, in the player's cache
// folder. Every entry read is treated as untrusted: anything that is not a regular file of the
// exact size its header announces, with the right version, key and checksum, is a miss. Writes
// go through AtomicFileWriter, so a reader never sees half an entry, and
// each song keeps at most two entries (the one just used and the one before it). A folder that
// cannot be created or written makes every call a quiet miss or no-op.
class MusicCache {
public:
    static constexpr std::uint32_t formatVersion = 1;
    // Ten minutes of stereo at 48 kHz; a longer song is rendered every time.
    static constexpr std::uint64_t maxSamples = 10ull * 60 * 48000 * 2;

    explicit MusicCache(std::string directory);

    // directory: PlayerFolders::cacheDirectory; empty for no cache at all.
    // 64-bit FNV-1a, continued from `seed`: the rendering key is built from several parts.
    static std::uint64_t hash(const void* data, std::size_t size, std::uint64_t seed = 14695981039346656037ull);

    // `song` names the entry (the MIDI file's name); `key` identifies what was rendered.
    // Reads an entry straight into the room `room` gives for its samples; false on a miss, which
    // may come after `room` was asked (a damaged entry is only found out once read).
    bool loadInto(const std::string& song, std::uint64_t key,
                  const std::function<std::span<std::int16_t>(std::size_t samples)>& room) const;
    void store(const std::string& song, std::uint64_t key, std::span<const std::int16_t> pcm) const;

    // The file an entry lives in (for tests).
    std::string entryPath(const std::string& song, std::uint64_t key) const;

private:
    std::string songPrefix(const std::string& song) const;
    void keepTwoNewest(const std::string& song, const std::string& current) const;

    std::string directory_;
};
