#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Builds a standard MIDI file, format 1: track 0 carries the tempo map and the meter, every
// further track one instrument. Events are written with explicit status bytes (no running
// status), and every track ends with an end-of-track event at the end of the song.
class MidiFileWriter {
public:
    explicit MidiFileWriter(int ticksPerQuarter);

    int ticksPerQuarter() const { return ticksPerQuarter_; }
    int trackCount() const { return static_cast<int>(tracks_.size()); }

    void setTempo(int tick, double beatsPerMinute);
    void setTimeSignature(int tick, int numerator, int denominator);

    // Returns the index of the new track, for the calls below.
    int addTrack(std::string_view name);
    void programChange(int track, int tick, int channel, int program);
    void controlChange(int track, int tick, int channel, int controller, int value);
    void note(int track, int tick, int duration, int channel, int key, int velocity);

    // The tick of the last event, where every track's end-of-track event stands.
    int endTick() const;

    std::vector<std::uint8_t> bytes() const;
    void write(const std::filesystem::path& path) const;

private:
    // At one tick, note-offs go first so a repeated note is not cut by its own release,
    // and settings before the note-ons they affect.
    enum class Order { NoteOff, Setting, NoteOn };

    struct Event {
        int tick;
        Order order;
        std::vector<std::uint8_t> data;
    };

    struct Track {
        std::string name;
        std::vector<Event> events;
    };

    Track& track(int index);
    void add(int trackIndex, int tick, Order order, std::vector<std::uint8_t> data);

    int ticksPerQuarter_;
    std::vector<Track> tracks_;
};
