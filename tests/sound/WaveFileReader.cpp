#include "tests/sound/WaveFileReader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::uint32_t little(const std::vector<std::uint8_t>& bytes, std::size_t at, int count)
{
    if (at + count > bytes.size())
        throw std::runtime_error("file ends inside a number at byte " + std::to_string(at));
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[at + i];
    return value;
}

bool tagAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* tag)
{
    return at + 4 <= bytes.size() && std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

WaveFileReader::WaveFileReader(const std::vector<std::uint8_t>& bytes)
{
    if (!tagAt(bytes, 0, "RIFF") || !tagAt(bytes, 8, "WAVE"))
        throw std::runtime_error("not a RIFF WAVE file");
    if (little(bytes, 4, 4) != bytes.size() - 8)
        throw std::runtime_error("RIFF size does not match the file size");
    bool haveFormat = false;
    for (std::size_t at = 12; at < bytes.size();) {
        const std::size_t size = little(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        if (body + size > bytes.size())
            throw std::runtime_error("a chunk runs past the end of the file");
        if (tagAt(bytes, at, "fmt ")) {
            if (size < 16 || little(bytes, body, 2) != 1 || little(bytes, body + 14, 2) != 16)
                throw std::runtime_error("format is not 16-bit integer PCM");
            channels_ = static_cast<int>(little(bytes, body + 2, 2));
            sampleRate_ = static_cast<int>(little(bytes, body + 4, 4));
            if (channels_ < 1 || sampleRate_ < 1 || little(bytes, body + 8, 4) != 2u * channels_ * sampleRate_
                || little(bytes, body + 12, 2) != 2u * channels_)
                throw std::runtime_error("inconsistent byte rate or block size");
            haveFormat = true;
        } else if (tagAt(bytes, at, "data")) {
            if (!haveFormat)
                throw std::runtime_error("data chunk before the format chunk");
            for (std::size_t i = 0; i + 1 < size; i += 2)
                samples_.push_back(static_cast<std::int16_t>(little(bytes, body + i, 2)));
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat)
        throw std::runtime_error("no format chunk");
}

WaveFileReader WaveFileReader::fromFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path.string());
    return WaveFileReader(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}
