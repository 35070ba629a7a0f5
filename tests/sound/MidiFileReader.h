#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Reads a standard MIDI file strictly, for checking what the writer made: every chunk length
// must match its contents, every event must carry its own status byte, and every track must
// end with exactly one end-of-track event. Any fault throws std::runtime_error saying where.
class MidiFileReader {
public:
    struct Event {
        int tick;
        std::vector<std::uint8_t> data; // status byte first
    };

    explicit MidiFileReader(const std::vector<std::uint8_t>& bytes);
    static MidiFileReader fromFile(const std::filesystem::path& path);

    int format() const { return format_; }
    int ticksPerQuarter() const { return ticksPerQuarter_; }
    const std::vector<std::vector<Event>>& tracks() const { return tracks_; }

    // Seconds from the start to `tick`, following every tempo event (120 bpm before the first).
    double seconds(int tick) const;
    // Seconds to the latest end-of-track event.
    double durationSeconds() const;

private:
    std::vector<Event> readTrack(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end) const;

    int format_ = 0;
    int ticksPerQuarter_ = 0;
    std::vector<std::vector<Event>> tracks_;
};
