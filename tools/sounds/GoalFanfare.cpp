#include "tools/sounds/GoalFanfare.h"

#include "tools/sounds/Instrument.h"

namespace {

constexpr int quarter = 480;
constexpr int bar = 4 * quarter;
constexpr int sixteenth = quarter / 4;
constexpr int transpose = -2; // written in C, sounds in B-flat

} // namespace

MidiFileWriter GoalFanfare::compose()
{
    MidiFileWriter song(quarter);
    song.setTimeSignature(0, 4, 4);
    song.setTempo(0, 132);
    song.setTempo(bar + 2 * quarter, 124);
    song.setTempo(2 * bar, 108);

    Instrument trumpet(song, "Trumpet", 0, {56, 110, 64, 50});
    Instrument brass(song, "Brass", 1, {61, 92, 48, 50});
    Instrument horns(song, "Horns", 2, {60, 90, 80, 60});
    Instrument strings(song, "Strings", 3, {44, 80, 40, 70});
    Instrument tuba(song, "Tuba", 4, {58, 96, 64, 40});
    Instrument timpani(song, "Timpani", 5, {47, 100, 72, 40});
    Instrument drums(song, "Drums", 9, {0, 96, 64, 40});
    for (Instrument* pitched : {&trumpet, &brass, &horns, &strings, &tuba, &timpani})
        pitched->setTranspose(transpose);
    brass.setGate(0.85);

    trumpet.play(0, "G4/8 C5 E5 G5 C6/4. G5/8 | A5/4 C6/8 A5 B5/12 C6 D6 D6/4 | E6/1 |", 104);
    brass.play(0,
               "C4+E4+G4/4 r/8 C4+E4+G4/8 E4+G4+C5/2 |"
               "F4+A4+C5/4 r/8 F4+A4+C5/8 G4+B4+D5/12 G4+B4+D5 G4+B4+D5 G4+B4+D5/4 | "
               "G4+C5+E5/1 |",
               92);
    horns.play(0, "E3+C4/2 G3+C4/2 | F3+C4/2 G3+B3/2 | C4+G4/1 |", 84);
    strings.play(0, "G4+C5+E5/1 | A4+C5+F5/2 B4+D5+G5/2 | C5+E5+G5+C6/1 |", 76);
    tuba.play(0, "C2/2 C2/2 | F2/2 G2/2 | C2/1 |", 96);
    timpani.play(0,
                 "C3/4 G2/8 G2 C3/4 r | F2/4 r/4 G2/12 G2 G2 G2/4 | "
                 "C3/16 C3 C3 C3 C3 C3 C3 C3 C3/4 r/4 |",
                 96);
    drums.hits(0, 49, "X...............", sixteenth, 90);
    drums.hits(bar, 38, "............xxXX", sixteenth, 88);
    drums.hits(2 * bar, 36, "X...............", sixteenth, 104);
    drums.hits(2 * bar, 49, "X...............", sixteenth, 104);
    drums.hits(2 * bar, 57, "X...............", sixteenth, 90);
    return song;
}
