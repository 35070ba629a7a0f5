#include "tools/sounds/Instrument.h"

#include <algorithm>
#include <cmath>

Instrument::Instrument(MidiFileWriter& song, std::string_view name, int channel, Sound sound)
    : song_(song),
      track_(song.addTrack(name)),
      channel_(channel)
{
    song_.programChange(track_, 0, channel_, sound.program);
    song_.controlChange(track_, 0, channel_, 7, sound.volume);
    song_.controlChange(track_, 0, channel_, 10, sound.pan);
    song_.controlChange(track_, 0, channel_, 91, sound.reverb);
}

int Instrument::accent(int tick, int velocity) const
{
    const int beat = ticksPerQuarter();
    const int inBar = tick % (4 * beat);
    int lean = -4;
    if (inBar == 0)
        lean = 8;
    else if (inBar == 2 * beat)
        lean = 4;
    else if (inBar % beat == 0)
        lean = 2;
    else if (inBar % (beat / 2) == 0)
        lean = 0;
    return std::clamp(velocity + lean, 1, 127);
}

void Instrument::note(int tick, int length, int key, int velocity) const
{
    const int sounding = std::max(1, static_cast<int>(std::lround(length * gate_)));
    song_.note(track_, tick, sounding, channel_, key + transpose_, velocity);
}

int Instrument::play(int tick, const std::vector<NoteText::Note>& notes, int length, int velocity) const
{
    for (const NoteText::Note& n : notes)
        for (const int key : n.keys)
            note(tick + n.start, n.length, key, accent(tick + n.start, velocity));
    return tick + length;
}

int Instrument::play(int tick, std::string_view text, int velocity) const
{
    const NoteText phrase(text, ticksPerQuarter(), 4 * ticksPerQuarter());
    return play(tick, phrase.notes(), phrase.length(), velocity);
}

void Instrument::hits(int tick, int key, std::string_view pattern, int step, int velocity) const
{
    const auto struck = [&](std::size_t i) { return pattern[i] == 'X' || pattern[i] == 'x'; };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (!struck(i))
            continue;
        // A stroke rings until the next one on the same key, or to the end of the pattern.
        std::size_t next = i + 1;
        while (next < pattern.size() && !struck(next))
            ++next;
        const int v = pattern[i] == 'X' ? velocity : velocity * 7 / 10;
        song_.note(track_, tick + static_cast<int>(i) * step, static_cast<int>(next - i) * step, channel_,
                   key + transpose_, v);
    }
}
