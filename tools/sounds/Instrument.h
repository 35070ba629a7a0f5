#pragma once

#include "tools/sounds/MidiFileWriter.h"
#include "tools/sounds/NoteText.h"

#include <string_view>
#include <vector>

// One player of a song: a track with its own channel, sound and place in the mix.
// Phrases are written in the key of C and moved by the transposition on the way out.
class Instrument {
public:
    struct Sound {
        int program;  // General MIDI, 0-based
        int volume;   // controller 7
        int pan;      // controller 10, 64 is the middle
        int reverb;   // controller 91
    };

    Instrument(MidiFileWriter& song, std::string_view name, int channel, Sound sound);

    // Each note sounds for this fraction of its written length: 1 legato, 0.5 staccato.
    void setGate(double gate) { gate_ = gate; }
    void setTranspose(int semitones) { transpose_ = semitones; }

    // Plays the notes from tick on, leaning on the strong beats of a 4/4 bar; returns the end tick.
    int play(int tick, const std::vector<NoteText::Note>& notes, int length, int velocity) const;
    int play(int tick, std::string_view text, int velocity) const;
    void note(int tick, int length, int key, int velocity) const;

    // One key struck on a grid, one step per character: 'X' accented, 'x' plain, anything else silent.
    void hits(int tick, int key, std::string_view pattern, int step, int velocity) const;

    int ticksPerQuarter() const { return song_.ticksPerQuarter(); }

private:
    int accent(int tick, int velocity) const;

    MidiFileWriter& song_;
    int track_;
    int channel_;
    double gate_ = 0.9;
    int transpose_ = 0;
};
