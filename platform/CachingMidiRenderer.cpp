#include "platform/CachingMidiRenderer.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The whole file, if it is a regular file no larger than `limit`; never blocks on a FIFO.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> content;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= limit) {
        std::string bytes(limit + 1, '\0');
        std::size_t total = 0;
        for (;;) {
            const ssize_t got = ::read(fd, bytes.data() + total, bytes.size() - total);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || (total += static_cast<std::size_t>(got)) == bytes.size())
                break;
        }
        // A file that grew past the limit while being read is not used.
        if (total <= limit) {
            bytes.resize(total);
            content = std::move(bytes);
        }
    }
    ::close(fd);
    return content;
}

} // namespace

CachingMidiRenderer::CachingMidiRenderer(std::shared_ptr<const MidiRenderer> renderer, MusicCache cache)
    : MidiRenderer(renderer->soundFont())
    , renderer_(std::move(renderer))
    , cache_(std::move(cache))
{
}

std::optional<std::uint64_t> CachingMidiRenderer::keyFor(const std::string& midiPath, int frequency) const
{
    const auto midi = readSmallFile(midiPath, maxMidiBytes);
    struct stat font {};
    if (!midi || ::stat(renderer_->soundFont().c_str(), &font) != 0)
        return std::nullopt;
    std::uint64_t key = MusicCache::hash(midi->data(), midi->size());
    const std::string settings = renderer_->soundFont() + '\n' + std::to_string(font.st_size) + '\n'
                                 + std::to_string(font.st_mtim.tv_sec) + '.' + std::to_string(font.st_mtim.tv_nsec)
                                 + '\n' + renderer_->settingsKey(frequency);
    key = MusicCache::hash(settings.data(), settings.size(), key);
    return key;
}

MidiRenderer::Result CachingMidiRenderer::render(const std::string& midiPath, int frequency, std::stop_token stop) const
{
    const auto key = keyFor(midiPath, frequency);
    if (key) {
        if (auto pcm = cache_.load(midiPath, *key))
            return {std::move(*pcm), {}};
    }
    Result result = renderer_->render(midiPath, frequency, stop);
    if (key && !result.pcm.empty())
        cache_.store(midiPath, *key, result.pcm);
    return result;
}
