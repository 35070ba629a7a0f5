#include "tools/sounds/BackgroundMusic.h"

#include "tools/sounds/ChordSymbol.h"
#include "tools/sounds/Instrument.h"
#include "tools/sounds/NoteText.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int quarter = 480;
constexpr int bar = 4 * quarter;
constexpr int eighth = quarter / 2;
constexpr int sixteenth = quarter / 4;
constexpr int transpose = 2; // written in C, sounds in D

constexpr int drumChannel = 9;
constexpr int kick = 36, snare = 38, clap = 39, closedHat = 42, openHat = 46, crash = 49, tambourine = 54;

// The tune, eight bars, over "C Am F G C Am Dm,G C".
constexpr const char* tune =
    "E5/8 G5 C6/4. B5/8 G5 E5 | A5/8 G5 E5 D5 C5/4 E5 | F5/8 A5 C6/4 A5/8 F5 C5/4 | D5/8 E5 F5 E5 D5/2 |"
    "E5/8 G5 C6/4. B5/8 G5 E5 | A5/8 C6 B5 A5 G5/4 E5 | F5/8 E5 D5 F5 G5 B5 D6/4 |";
constexpr const char* tuneClose = "C6/4. G5/8 C6/2 |";
constexpr const char* tuneFinalClose = "C6/8 G5 E5 G5 C6/4 G5 |";
constexpr const char* tuneChords = "C Am F G C Am Dm,G C";

// The bridge, eight bars, over "F G Em Am Dm E7 Am G7".
constexpr const char* bridge =
    "A5/4. G5/8 F5/4 C6 | B5/4. A5/8 G5/2 | B5/8 A5 G5 A5 B5/4 G5 | A5/4. B5/8 C6/2 |"
    "D6/4. C6/8 A5/4 F5 | G#5/4. A5/8 B5/4 D6 | C6/8 B5 A5 B5 C6/4 E6 | D6/8 C6 B5 A5 G5/4 F5 |";
constexpr const char* bridgeChords = "F G Em Am Dm E7 Am G7";

struct Change {
    int tick;
    int length;
    ChordSymbol chord;
};

// "C Am Dm,G": one chord per bar, a comma splits a bar evenly.
std::vector<Change> changes(int tick, const std::string& progression)
{
    std::vector<Change> result;
    std::istringstream bars(progression);
    std::string barText;
    for (; bars >> barText; tick += bar) {
        std::vector<std::string> symbols;
        std::istringstream split(barText);
        for (std::string symbol; std::getline(split, symbol, ',');)
            symbols.push_back(symbol);
        const int length = bar / static_cast<int>(symbols.size());
        for (std::size_t i = 0; i < symbols.size(); ++i)
            result.push_back(Change{tick + static_cast<int>(i) * length, length, ChordSymbol(symbols[i])});
    }
    return result;
}

// Eighths bouncing between the root and its octave, with the fifth on the last of each pair of beats.
void bassLine(const Instrument& bass, const std::vector<Change>& chords, int velocity)
{
    for (const Change& c : chords) {
        const int root = c.chord.rootKey(33);
        const int fifth = root + 7;
        for (int t = 0, i = 0; t < c.length; t += eighth, ++i) {
            const int key = i % 4 == 3 ? fifth : (i % 2 == 0 ? root : root + 12);
            bass.note(c.tick + t, eighth, key, velocity + (i % 2 == 0 ? 6 : 0));
        }
    }
}

// Short chords on the off-beats.
void offbeats(const Instrument& keys, const std::vector<Change>& chords, int velocity)
{
    for (const Change& c : chords)
        for (int t = eighth; t < c.length; t += quarter)
            for (const int key : c.chord.voicing(55))
                keys.note(c.tick + t, eighth, key, velocity);
}

// Rising and falling through the chord, one note per eighth.
void arpeggio(const Instrument& mallets, const std::vector<Change>& chords, int low, int velocity)
{
    for (const Change& c : chords) {
        std::vector<int> tones = c.chord.voicing(low);
        tones.resize(3);
        tones.push_back(tones.front() + 12);
        static constexpr int order[] = {0, 1, 2, 3, 2, 1, 2, 1};
        for (int t = 0, i = 0; t < c.length; t += eighth, ++i)
            mallets.note(c.tick + t, eighth, tones[order[i % 8]], velocity + (i % 2 == 0 ? 6 : 0));
    }
}

void held(const Instrument& pad, const std::vector<Change>& chords, int velocity)
{
    for (const Change& c : chords)
        for (const int key : c.chord.voicing(60))
            pad.note(c.tick, c.length, key, velocity);
}

// A second voice under the tune: the nearest note of the chord of the moment at least a
// minor third down, so the two voices never rub against the harmony.
std::vector<NoteText::Note> voiceBelow(std::vector<NoteText::Note> notes, int tick, const std::vector<Change>& chords)
{
    for (NoteText::Note& n : notes) {
        const auto change = std::find_if(chords.rbegin(), chords.rend(),
                                         [&](const Change& c) { return c.tick <= tick + n.start; });
        const std::vector<int> tones = change->chord.voicing(0);
        for (int& key : n.keys) {
            key -= 3;
            while (std::find(tones.begin(), tones.end(), key % 12) == tones.end())
                --key;
        }
    }
    return notes;
}

enum class Groove { HatsOnly, Full, Fill, Bridge };

void drumBar(const Instrument& drums, int tick, Groove groove, bool crashOnOne)
{
    const auto hit = [&](int key, std::string_view pattern, int velocity) {
        drums.hits(tick, key, pattern, sixteenth, velocity);
    };
    switch (groove) {
    case Groove::HatsOnly:
        hit(kick, "X.......X.......", 96);
        hit(closedHat, "x.X.x.X.x.X.x.X.", 70);
        break;
    case Groove::Full:
        hit(kick, "X.....x.X.x.....", 100);
        hit(snare, "....X.......X...", 92);
        hit(closedHat, "x.X.x.X.x.X.x...", 70);
        hit(openHat, "..............x.", 80);
        break;
    case Groove::Fill:
        hit(kick, "X.....x.X.......", 100);
        hit(snare, "....X.....x.XxXX", 96);
        hit(closedHat, "x.X.x.X.x.X.....", 70);
        break;
    case Groove::Bridge:
        hit(kick, "X.......X.x.....", 96);
        hit(clap, "....X.......X...", 84);
        hit(tambourine, "x.X.x.X.x.X.x.X.", 62);
        break;
    }
    if (crashOnOne)
        hit(crash, "X...............", 92);
}

// Eight bars of a groove, fill in the last, crash on the first.
void drumSection(const Instrument& drums, int tick, Groove groove)
{
    for (int i = 0; i < 8; ++i)
        drumBar(drums, tick + i * bar, i == 7 ? Groove::Fill : groove, i == 0);
}

} // namespace

MidiFileWriter BackgroundMusic::compose()
{
    MidiFileWriter song(quarter);
    song.setTempo(0, 150);
    song.setTimeSignature(0, 4, 4);

    Instrument lead(song, "Lead", 0, {80, 92, 64, 40});
    Instrument mallets(song, "Marimba", 1, {12, 96, 88, 40});
    Instrument keys(song, "Electric piano", 2, {4, 88, 40, 30});
    Instrument bass(song, "Bass", 3, {33, 110, 64, 10});
    Instrument pad(song, "Strings", 4, {48, 70, 52, 60});
    Instrument drums(song, "Drums", drumChannel, {0, 100, 64, 20});
    for (Instrument* pitched : {&lead, &mallets, &keys, &bass, &pad})
        pitched->setTranspose(transpose);
    keys.setGate(0.55);
    mallets.setGate(0.8);
    bass.setGate(0.75);
    pad.setGate(1.0);

    const NoteText tuneText(std::string(tune) + tuneClose, quarter, bar);
    const NoteText finalText(std::string(tune) + tuneFinalClose, quarter, bar);
    const NoteText bridgeText(bridge, quarter, bar);

    // Intro: four bars of chords while the drums come in.
    int tick = 0;
    const auto intro = changes(tick, "C Am F G");
    arpeggio(mallets, intro, 67, 74);
    offbeats(keys, intro, 58);
    bassLine(bass, intro, 84);
    drumBar(drums, tick, Groove::HatsOnly, true);
    drumBar(drums, tick + bar, Groove::HatsOnly, false);
    drumBar(drums, tick + 2 * bar, Groove::Full, false);
    drumBar(drums, tick + 3 * bar, Groove::Fill, false);
    tick += 4 * bar;

    // The tune on its own.
    const auto tuneHarmony = changes(tick, tuneChords);
    lead.play(tick, tuneText.notes(), tuneText.length(), 92);
    offbeats(keys, tuneHarmony, 60);
    bassLine(bass, tuneHarmony, 86);
    drumSection(drums, tick, Groove::Full);
    tick += 8 * bar;

    // Again, with a second voice on the marimba.
    const auto secondHarmony = changes(tick, tuneChords);
    lead.play(tick, tuneText.notes(), tuneText.length(), 94);
    mallets.play(tick, voiceBelow(tuneText.notes(), tick, secondHarmony), tuneText.length(), 80);
    offbeats(keys, secondHarmony, 60);
    bassLine(bass, secondHarmony, 86);
    drumSection(drums, tick, Groove::Full);
    tick += 8 * bar;

    // The bridge: strings underneath, clap and tambourine instead of snare and hats.
    const auto bridgeHarmony = changes(tick, bridgeChords);
    lead.play(tick, bridgeText.notes(), bridgeText.length(), 90);
    arpeggio(mallets, bridgeHarmony, 67, 62);
    held(pad, bridgeHarmony, 64);
    bassLine(bass, bridgeHarmony, 84);
    drumSection(drums, tick, Groove::Bridge);
    tick += 8 * bar;

    // The tune once more with everyone, and a closing turn.
    const auto lastHarmony = changes(tick, tuneChords);
    lead.play(tick, finalText.notes(), finalText.length(), 98);
    mallets.play(tick, voiceBelow(finalText.notes(), tick, lastHarmony), finalText.length(), 82);
    held(pad, lastHarmony, 56);
    offbeats(keys, lastHarmony, 62);
    bassLine(bass, lastHarmony, 88);
    drumSection(drums, tick, Groove::Full);
    tick += 8 * bar;

    // Last chord: one stroke, left to ring.
    const ChordSymbol home("C");
    lead.note(tick, 2 * quarter, NoteText::key("C6"), 100);
    mallets.note(tick, quarter, NoteText::key("E5"), 86);
    for (const int key : home.voicing(55))
        keys.note(tick, 2 * quarter, key, 72);
    for (const int key : home.voicing(60))
        pad.note(tick, 3 * quarter, key, 60);
    bass.note(tick, 2 * quarter, home.rootKey(33), 100);
    bass.note(tick, 2 * quarter, home.rootKey(45), 90);
    drums.hits(tick, kick, "X...............", sixteenth, 104);
    drums.hits(tick, crash, "X...............", sixteenth, 100);
    return song;
}
