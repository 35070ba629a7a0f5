#include "tests/sound/MidiFileReader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace {

std::uint32_t big(const std::vector<std::uint8_t>& bytes, std::size_t at, int count)
{
    if (at + count > bytes.size())
        throw std::runtime_error("file ends inside a number at byte " + std::to_string(at));
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[at + i];
    return value;
}

bool tagAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* tag)
{
    return at + 4 <= bytes.size() && std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

MidiFileReader::MidiFileReader(const std::vector<std::uint8_t>& bytes)
{
    if (!tagAt(bytes, 0, "MThd") || big(bytes, 4, 4) != 6)
        throw std::runtime_error("no MThd chunk of length 6 at the start");
    format_ = static_cast<int>(big(bytes, 8, 2));
    const auto trackCount = big(bytes, 10, 2);
    ticksPerQuarter_ = static_cast<int>(big(bytes, 12, 2));
    if (ticksPerQuarter_ == 0 || ticksPerQuarter_ & 0x8000)
        throw std::runtime_error("division is not a positive tick count per quarter note");

    std::size_t at = 14;
    for (std::uint32_t t = 0; t < trackCount; ++t) {
        if (!tagAt(bytes, at, "MTrk"))
            throw std::runtime_error("track " + std::to_string(t) + ": no MTrk chunk at byte " + std::to_string(at));
        const std::size_t length = big(bytes, at + 4, 4);
        if (at + 8 + length > bytes.size())
            throw std::runtime_error("track " + std::to_string(t) + ": declared length runs past the end of the file");
        tracks_.push_back(readTrack(bytes, at + 8, at + 8 + length));
        at += 8 + length;
    }
    if (at != bytes.size())
        throw std::runtime_error(std::to_string(bytes.size() - at) + " bytes after the last track");
}

MidiFileReader MidiFileReader::fromFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path.string());
    return MidiFileReader(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

std::vector<MidiFileReader::Event> MidiFileReader::readTrack(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                                             std::size_t end) const
{
    const auto take = [&]() {
        if (at >= end)
            throw std::runtime_error("event runs past its track's declared length");
        return bytes[at++];
    };
    std::vector<Event> events;
    int tick = 0;
    while (at < end) {
        if (!events.empty() && events.back().data == std::vector<std::uint8_t>{0xFF, 0x2F, 0x00})
            throw std::runtime_error("events after end-of-track");
        std::uint32_t delta = 0;
        for (int i = 0;; ++i) {
            const std::uint8_t b = take();
            if (i == 0 && b == 0x80)
                throw std::runtime_error("delta time with a needless leading zero group");
            delta = delta << 7 | (b & 0x7F);
            if (!(b & 0x80))
                break;
            if (i == 3)
                throw std::runtime_error("delta time longer than four bytes");
        }
        tick += static_cast<int>(delta);
        Event event{tick, {take()}};
        const std::uint8_t status = event.data[0];
        if (status < 0x80)
            throw std::runtime_error("running status at tick " + std::to_string(tick));
        int dataBytes = 0;
        if (status == 0xFF) {
            event.data.push_back(take());
            std::uint32_t length = 0;
            for (std::uint8_t b = 0x80; b & 0x80;) {
                b = take();
                event.data.push_back(b);
                length = length << 7 | (b & 0x7F);
            }
            dataBytes = static_cast<int>(length);
        } else if (status >= 0xF0) {
            throw std::runtime_error("system exclusive events are not expected");
        } else {
            const int kind = status >> 4;
            dataBytes = kind == 0xC || kind == 0xD ? 1 : 2;
        }
        for (int i = 0; i < dataBytes; ++i) {
            event.data.push_back(take());
            if (status < 0xF0 && event.data.back() >= 0x80)
                throw std::runtime_error("data byte with its top bit set at tick " + std::to_string(tick));
        }
        events.push_back(std::move(event));
    }
    if (events.empty() || events.back().data != std::vector<std::uint8_t>{0xFF, 0x2F, 0x00})
        throw std::runtime_error("track does not end with end-of-track");
    return events;
}

double MidiFileReader::seconds(int tick) const
{
    std::map<int, std::uint32_t> tempos{{0, 500000}};
    for (const auto& track : tracks_)
        for (const Event& e : track)
            if (e.data.size() == 6 && e.data[0] == 0xFF && e.data[1] == 0x51)
                tempos[e.tick] = static_cast<std::uint32_t>(e.data[3] << 16 | e.data[4] << 8 | e.data[5]);
    double microseconds = 0;
    for (auto it = tempos.begin(); it != tempos.end() && it->first < tick; ++it) {
        const auto next = std::next(it);
        const int until = next == tempos.end() ? tick : std::min(tick, next->first);
        microseconds += static_cast<double>(until - it->first) * it->second / ticksPerQuarter_;
    }
    return microseconds / 1e6;
}

double MidiFileReader::durationSeconds() const
{
    int end = 0;
    for (const auto& track : tracks_)
        end = std::max(end, track.back().tick);
    return seconds(end);
}
