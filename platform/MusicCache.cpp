#include "platform/MusicCache.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool readExactly(int fd, void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool writeExactly(int fd, const void* buffer, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

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

std::string MusicCache::defaultDirectory()
{
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/')
        return std::string(xdg) + "/zumikko";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.cache/zumikko";
    return {};
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
    // Non-blocking and no links: a FIFO or a device planted here must not hang or flood us.
    FileDescriptor fd(::open(entryPath(song, key).c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < static_cast<off_t>(sizeof(Header)))
        return false;
    Header header{};
    if (!readExactly(fd.get(), &header, sizeof header) || std::memcmp(header.magic, magic, sizeof magic) != 0
        || header.version != formatVersion || header.key != key || header.samples == 0
        || header.samples > maxSamples
        || static_cast<std::uint64_t>(info.st_size) != sizeof(Header) + header.samples * sizeof(std::int16_t))
        return false;
    const std::span<std::int16_t> pcm = room(static_cast<std::size_t>(header.samples));
    if (pcm.size() != header.samples || !readExactly(fd.get(), pcm.data(), pcm.size() * sizeof(std::int16_t)))
        return false;
    if (hash(pcm.data(), pcm.size() * sizeof(std::int16_t)) != header.checksum)
        return false;
    // Marks it as the most recently used entry of its song.
    ::futimens(fd.get(), nullptr);
    return true;
}

void MusicCache::store(const std::string& song, std::uint64_t key, std::span<const std::int16_t> pcm) const
{
    if (directory_.empty() || pcm.empty() || pcm.size() > maxSamples)
        return;
    std::error_code error;
    fs::create_directories(directory_, error);
    const std::string target = entryPath(song, key);
    std::string temporary = target + ".XXXXXX";
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        return;
    Header header{};
    std::memcpy(header.magic, magic, sizeof magic);
    header.version = formatVersion;
    header.key = key;
    header.samples = pcm.size();
    header.checksum = hash(pcm.data(), pcm.size() * sizeof(std::int16_t));
    const bool written = writeExactly(fd.get(), &header, sizeof header)
                         && writeExactly(fd.get(), pcm.data(), pcm.size() * sizeof(std::int16_t));
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return;
    }
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
