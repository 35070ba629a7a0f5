#pragma once

#include <string>
#include <string_view>
#include <vector>

// A phrase written as text, one token per note, rest or chord, separated by blanks:
//   "E5/8 G5 C6/4. r/8 C4+E4+G4/2"
// A pitch is a letter A-G, any number of '#' or 'b', and an octave (C4 is MIDI key 60).
// "/N" is 1/N of a whole note, a trailing '.' makes it half as long again; a token without
// "/N" keeps the length of the one before. 'r' is a rest, '+' joins the keys of a chord.
// A '|' is a bar line: given the bar length, it must fall on a bar boundary.
class NoteText {
public:
    struct Note {
        int start;   // ticks from the start of the phrase
        int length;  // ticks
        std::vector<int> keys;

        bool operator==(const Note&) const = default;
    };

    // Throws std::invalid_argument naming the token that cannot be read.
    NoteText(std::string_view text, int ticksPerQuarter, int ticksPerBar = 0);

    const std::vector<Note>& notes() const { return notes_; }
    int length() const { return length_; }

    // "C#4" -> 61; throws std::invalid_argument for anything that is not a pitch.
    static int key(std::string_view pitch);

private:
    static int keyIn(std::string_view pitch, std::string_view token);

    std::vector<Note> notes_;
    int length_ = 0;
};
