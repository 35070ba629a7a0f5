#include "tools/sounds/MidiFileWriter.h"

#include "tools/sounds/AtomicFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace {

void checkRange(std::string_view what, int value, int low, int high)
{
    if (value < low || value > high)
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) + " is outside "
                                    + std::to_string(low) + ".." + std::to_string(high));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putVariableLength(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

} // namespace

MidiFileWriter::MidiFileWriter(int ticksPerQuarter)
    : ticksPerQuarter_(ticksPerQuarter)
{
    checkRange("ticks per quarter note", ticksPerQuarter, 1, 0x7FFF);
    tracks_.push_back(Track{"", {}});
}

MidiFileWriter::Track& MidiFileWriter::track(int index)
{
    checkRange("track", index, 0, trackCount() - 1);
    return tracks_[static_cast<std::size_t>(index)];
}

void MidiFileWriter::add(int trackIndex, int tick, Order order, std::vector<std::uint8_t> data)
{
    checkRange("tick", tick, 0, 0x0FFFFFFF);
    track(trackIndex).events.push_back(Event{tick, order, std::move(data)});
}

void MidiFileWriter::setTempo(int tick, double beatsPerMinute)
{
    if (!(beatsPerMinute >= 4.0 && beatsPerMinute <= 1000.0))
        throw std::invalid_argument("tempo " + std::to_string(beatsPerMinute) + " bpm is outside 4..1000");
    const auto microseconds = static_cast<std::uint32_t>(std::lround(60'000'000.0 / beatsPerMinute));
    add(0, tick, Order::Setting,
        {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microseconds >> 16),
         static_cast<std::uint8_t>(microseconds >> 8), static_cast<std::uint8_t>(microseconds)});
}

void MidiFileWriter::setTimeSignature(int tick, int numerator, int denominator)
{
    checkRange("beats per bar", numerator, 1, 32);
    if (denominator < 1 || denominator > 32 || !std::has_single_bit(static_cast<unsigned>(denominator)))
        throw std::invalid_argument("beat unit " + std::to_string(denominator) + " is not a power of two up to 32");
    const auto power = static_cast<std::uint8_t>(std::countr_zero(static_cast<unsigned>(denominator)));
    add(0, tick, Order::Setting, {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(numerator), power, 24, 8});
}

int MidiFileWriter::addTrack(std::string_view name)
{
    tracks_.push_back(Track{std::string(name), {}});
    return trackCount() - 1;
}

void MidiFileWriter::programChange(int trackIndex, int tick, int channel, int program)
{
    checkRange("channel", channel, 0, 15);
    checkRange("program", program, 0, 127);
    add(trackIndex, tick, Order::Setting,
        {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(program)});
}

void MidiFileWriter::controlChange(int trackIndex, int tick, int channel, int controller, int value)
{
    checkRange("channel", channel, 0, 15);
    checkRange("controller", controller, 0, 127);
    checkRange("controller value", value, 0, 127);
    add(trackIndex, tick, Order::Setting,
        {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(controller),
         static_cast<std::uint8_t>(value)});
}

void MidiFileWriter::note(int trackIndex, int tick, int duration, int channel, int key, int velocity)
{
    checkRange("channel", channel, 0, 15);
    checkRange("key", key, 0, 127);
    checkRange("velocity", velocity, 1, 127);
    checkRange("note length", duration, 1, 0x0FFFFFFF);
    checkRange("tick", tick, 0, 0x0FFFFFFF - duration); // the release must fit too
    track(trackIndex); // fail before adding half a note
    const auto k = static_cast<std::uint8_t>(key);
    add(trackIndex, tick, Order::NoteOn,
        {static_cast<std::uint8_t>(0x90 | channel), k, static_cast<std::uint8_t>(velocity)});
    add(trackIndex, tick + duration, Order::NoteOff, {static_cast<std::uint8_t>(0x80 | channel), k, 0x40});
}

int MidiFileWriter::endTick() const
{
    int end = 0;
    for (const Track& t : tracks_)
        for (const Event& e : t.events)
            end = std::max(end, e.tick);
    return end;
}

std::vector<std::uint8_t> MidiFileWriter::bytes() const
{
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    out.push_back(static_cast<std::uint8_t>(trackCount() >> 8));
    out.push_back(static_cast<std::uint8_t>(trackCount()));
    out.push_back(static_cast<std::uint8_t>(ticksPerQuarter_ >> 8));
    out.push_back(static_cast<std::uint8_t>(ticksPerQuarter_));

    const int end = endTick();
    for (const Track& t : tracks_) {
        std::vector<Event> events;
        if (!t.name.empty()) {
            std::vector<std::uint8_t> name{0xFF, 0x03};
            putVariableLength(name, static_cast<std::uint32_t>(t.name.size()));
            name.insert(name.end(), t.name.begin(), t.name.end());
            events.push_back(Event{0, Order::Setting, std::move(name)});
        }
        events.insert(events.end(), t.events.begin(), t.events.end());
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        events.push_back(Event{end, Order::Setting, {0xFF, 0x2F, 0x00}});

        std::vector<std::uint8_t> body;
        int previous = 0;
        for (const Event& e : events) {
            putVariableLength(body, static_cast<std::uint32_t>(e.tick - previous));
            body.insert(body.end(), e.data.begin(), e.data.end());
            previous = e.tick;
        }
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        put32(out, static_cast<std::uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

void MidiFileWriter::write(const std::filesystem::path& path) const
{
    AtomicFile::write(path, bytes());
}
