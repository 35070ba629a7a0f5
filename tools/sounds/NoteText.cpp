#include "tools/sounds/NoteText.h"

#include <cctype>
#include <charconv>
#include <stdexcept>

namespace {

std::invalid_argument bad(std::string_view token, std::string_view why)
{
    return std::invalid_argument("cannot read note '" + std::string(token) + "': " + std::string(why));
}

int parseLength(std::string_view token, std::string_view text, int ticksPerQuarter)
{
    bool dotted = false;
    if (!text.empty() && text.back() == '.') {
        dotted = true;
        text.remove_suffix(1);
    }
    int divisor = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), divisor);
    if (error != std::errc() || end != text.data() + text.size() || divisor <= 0)
        throw bad(token, "expected a length like /4 or /8.");
    const int whole = 4 * ticksPerQuarter;
    if (whole % divisor != 0)
        throw bad(token, "1/" + std::to_string(divisor) + " is not a whole number of ticks");
    int length = whole / divisor;
    if (dotted) {
        if (length % 2 != 0)
            throw bad(token, "the dotted length is not a whole number of ticks");
        length += length / 2;
    }
    return length;
}

} // namespace

int NoteText::key(std::string_view pitch)
{
    return keyIn(pitch, pitch);
}

int NoteText::keyIn(std::string_view pitch, std::string_view token)
{
    static constexpr int semitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (pitch.empty() || pitch[0] < 'A' || pitch[0] > 'G')
        throw bad(token, "a pitch starts with a letter A-G");
    int key = semitones[pitch[0] - 'A'];
    std::size_t i = 1;
    for (; i < pitch.size() && (pitch[i] == '#' || pitch[i] == 'b'); ++i)
        key += pitch[i] == '#' ? 1 : -1;
    int octave = 0;
    const char* first = pitch.data() + i;
    const char* last = pitch.data() + pitch.size();
    const auto [end, error] = std::from_chars(first, last, octave);
    if (first == last || error != std::errc() || end != last)
        throw bad(token, "a pitch ends with its octave, as in C4");
    key += 12 * (octave + 1);
    if (key < 0 || key > 127)
        throw bad(token, "outside the MIDI key range");
    return key;
}

NoteText::NoteText(std::string_view text, int ticksPerQuarter, int ticksPerBar)
{
    int length = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[position]))) {
            ++position;
            continue;
        }
        // A bar line is a token of its own, spaced or not.
        std::size_t end = position + 1;
        if (text[position] != '|')
            while (end < text.size() && text[end] != '|' && !std::isspace(static_cast<unsigned char>(text[end])))
                ++end;
        const std::string_view token = text.substr(position, end - position);
        position = end;

        if (token == "|") {
            if (ticksPerBar > 0 && length_ % ticksPerBar != 0)
                throw std::invalid_argument("bar line at tick " + std::to_string(length_) + " falls inside a bar of "
                                            + std::to_string(ticksPerBar) + " ticks");
            continue;
        }
        const std::size_t slash = token.find('/');
        const std::string_view pitches = token.substr(0, slash);
        if (slash != std::string_view::npos)
            length = parseLength(token, token.substr(slash + 1), ticksPerQuarter);
        else if (length == 0)
            throw bad(token, "the first note needs a length, as in C4/4");

        Note note{length_, length, {}};
        if (pitches != "r") {
            std::size_t from = 0;
            while (true) {
                const std::size_t plus = pitches.find('+', from);
                note.keys.push_back(keyIn(pitches.substr(from, plus - from), token));
                if (plus == std::string_view::npos)
                    break;
                from = plus + 1;
            }
            notes_.push_back(std::move(note));
        }
        length_ += length;
    }
}
