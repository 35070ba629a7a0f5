#include "platform/MusicCache.h"

#include "platform/AtomicFileWriter.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

constexpr char magic[8] = {'Z', 'M', 'K', 'M', 'U', 'S', 'I', 'C'};

struct Header {
    char magic[8];
    std::uint32_t version;
    std::uint32_t reserved;
    std::uint64_t key;
    std::uint64_t samples;
    std::uint64_t checksum;
};
static_assert(sizeof(Header) == 40);

std::string safeName(const std::string& song)
{
    std::string name = fs::path(song).filename().string();
    for (char& c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-'))
            c = '_';
    return name.empty() ? std::string("song") : name;
}

} // namespace

MusicCache::MusicCache(std::string directory)
    : directory_(std::move(directory))
{
}

std::uint64_t MusicCache::hash(const void* data, std::size_t size, std::uint64_t seed)
{
    std::uint64_t h = seed;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= bytes[i];
        h *= 1099511628211ull;
    }
    return h;
}

std::string MusicCache::songPrefix(const std::string& song) const
{
    return safeName(song) + "-";
}

std::string MusicCache::entryPath(const std::string& song, std::uint64_t key) const
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(key));
    return directory_ + "/" + songPrefix(song) + hex + ".pcm";
}

bool MusicCache::loadInto(const std::string& song, std::uint64_t key,
                          const std::function<std::span<std::int16_t>(std::size_t samples)>& room) const
{
    if (directory_.empty())
        return false;
    // No links: a FIFO or a device planted here, or a link to one, must not hang or flood us.
    const RegularFile file = RegularFile::open(entryPath(song, key), RegularFile::Links::Refuse);
    if (file.outcome() != RegularFile::Outcome::Opened || file.size() < static_cast<long long>(sizeof(Header)))
        return false;
    Header header{};
    if (file.read(&header, sizeof header) != static_cast<long long>(sizeof header)
        || std::memcmp(header.magic, magic, sizeof magic) != 0 || header.version != formatVersion || header.key != key
        || header.samples == 0 || header.samples > maxSamples
        || static_cast<std::uint64_t>(file.size()) != sizeof(Header) + header.samples * sizeof(std::int16_t))
        return false;
    const std::span<std::int16_t> pcm = room(static_cast<std::size_t>(header.samples));
    const auto pcmBytes = static_cast<long long>(pcm.size() * sizeof(std::int16_t));
    if (pcm.size() != header.samples || file.read(pcm.data(), static_cast<std::size_t>(pcmBytes)) != pcmBytes)
        return false;
    if (hash(pcm.data(), pcm.size() * sizeof(std::int16_t)) != header.checksum)
        return false;
    // Marks it as the most recently used entry of its song.
    ::futimens(file.fd(), nullptr);
    return true;
}

void MusicCache::store(const std::string& song, std::uint64_t key, std::span<const std::int16_t> pcm) const
{
    if (directory_.empty() || pcm.empty() || pcm.size() > maxSamples)
        return;
    std::error_code error;
    fs::create_directories(directory_, error);
    const std::string target = entryPath(song, key);
    Header header{};
    std::memcpy(header.magic, magic, sizeof magic);
    header.version = formatVersion;
    header.key = key;
    header.samples = pcm.size();
    header.checksum = hash(pcm.data(), pcm.size() * sizeof(std::int16_t));
    AtomicFileWriter writer;
    if (writer.open(target, AtomicFileWriter::Replace::Name)
        || writer.write({reinterpret_cast<const char*>(&header), sizeof header})
        || writer.write({reinterpret_cast<const char*>(pcm.data()), pcm.size() * sizeof(std::int16_t)})
        || writer.commit())
        return;
    keepTwoNewest(song, target);
}

void MusicCache::keepTwoNewest(const std::string& song, const std::string& current) const
{
    const std::string prefix = songPrefix(song);
    std::vector<std::pair<fs::file_time_type, fs::path>> entries;
    std::error_code error;
    for (fs::directory_iterator it(directory_, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) != 0 || !it->is_regular_file(error))
            continue;
        const auto modified = it->last_write_time(error);
        if (error)
            continue;
        // Temporary files of a writer that died; a live writer's is only seconds old.
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".pcm") != 0) {
            if (fs::file_time_type::clock::now() - modified > std::chrono::minutes(10))
                fs::remove(it->path(), error);
            continue;
        }
        if (it->path() != fs::path(current))
            entries.emplace_back(modified, it->path());
    }
    // The entry just written stays, and the most recently used of the others.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 1; i < entries.size(); ++i)
        fs::remove(entries[i].second, error);
}
